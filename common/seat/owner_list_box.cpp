#include "seat/owner_list_box.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyledItemDelegate>
#include "platform/font_match.h"

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
        const QFont& font = list_.EntryFont();
        painter->setFont(font);
        painter->setPen(QColor(255, 0, 0));
        painter->setClipRect(option.rect);
        const QPoint origin =
            option.rect.topLeft() + QPoint(COwnerListBox::kTextInset, COwnerListBox::kTextInset);
        painter->drawText(origin.x(), origin.y() + QFontMetrics(font).ascent(),
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(100, COwnerListBox::kEntryHeight);
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

void COwnerListBox::DeriveEntryFont() {
    // "MS Mincho" was chosen for Japanese text; fontconfig names the installed face that covers it
    // and the Chinese names (WenQuanYi Zen Hei with the project's packages).
    QFont entry = font();
    const QString family =
        vantor::MatchFontFamily({QStringLiteral("MS Mincho"), QStringLiteral("ja"), false});
    if (!family.isEmpty()) {
        entry.setFamily(family);
    }
    // A height of 40 is the character cell's: the largest size whose line fits 40 pixels.
    int pixels = kEntryHeight;
    entry.setPixelSize(pixels);
    while (pixels > 8 && QFontMetrics(entry).height() > kEntryHeight) {
        entry.setPixelSize(--pixels);
    }
    entry_font_ = entry;
}
