#include "seat/owner_list_box.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyledItemDelegate>
#include "controls/fitted_text.h"
#include "platform/font_match.h"
#include "platform/form_skin.h"

namespace {

// Draws the entries itself, as an owner-drawn list box does.
class EntryPainter : public QStyledItemDelegate {
  public:
    explicit EntryPainter(COwnerListBox& list) : QStyledItemDelegate(&list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        // The active window's highlight stands in for the active caption colour of the design.
        const QPalette& palette = list_.palette();
        painter->save();
        painter->fillRect(option.rect, selected ? palette.color(QPalette::Active, QPalette::Highlight)
                                                : palette.color(QPalette::Active, QPalette::Base));
        const QString name = index.data(Qt::DisplayRole).toString();
        const QRect text_area = option.rect.adjusted(COwnerListBox::kTextInset, COwnerListBox::kTextInset,
                                                     -COwnerListBox::kTextInset, 0);
        const vantor::FittedText fitted = vantor::FitText(list_.EntryFont(), name, text_area.size());
        painter->setFont(fitted.font);
        painter->setPen(QColor(255, 0, 0));
        painter->setClipRect(option.rect);
        if (fitted.wraps) {
            painter->drawText(text_area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, name);
        } else {
            painter->drawText(text_area.left(), text_area.top() + QFontMetrics(fitted.font).ascent(), name);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(100, list_.EntryHeight());
    }

  private:
    COwnerListBox& list_;
};

}  // namespace

COwnerListBox::COwnerListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setItemDelegate(new EntryPainter(*this));  // owned by the list as its QObject parent
    DeriveEntryFont();
}

COwnerListBox::~COwnerListBox() = default;

void COwnerListBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        DeriveEntryFont();
    }
    QListWidget::changeEvent(event);
}

void COwnerListBox::SetEntryHeight(int pixels) {
    entry_height_ = pixels;
    DeriveEntryFont();
    doItemsLayout();
}

void COwnerListBox::DeriveEntryFont() {
    // "MS Mincho" was chosen for Japanese text; fontconfig names the installed face that covers it
    // and the Chinese names (WenQuanYi Zen Hei with the project's packages).
    QFont entry = font();
    const QString family =
        vantor::MatchFontFamily({QStringLiteral("MS Mincho"), QStringLiteral("ja"), false});
    if (!family.isEmpty()) {
        entry.setFamily(family);
    }
    // The entry's height is the character cell's: the largest size whose line fits it.
    entry.setPixelSize(vantor::LargestPixelsForLine(entry, entry_height_, 8));
    entry_font_ = entry;
}
