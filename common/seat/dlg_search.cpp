#include "seat/dlg_search.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <array>
#include <cmath>
#include "controls/fitted_text.h"
#include "controls/multi_line_text.h"
#include "layout/control_table.h"
#include "layout/dialog_units.h"
#include "platform/font_match.h"
#include "platform/form_skin.h"
#include "platform/native_path.h"
#include "seat/dlg_keyboard.h"
#include "seat/keyboard_keys.h"
#include "seat/owner_list_box.h"
#include "language/language.h"
#include "text/qt_text.h"

namespace {

using vantor::ControlEntry;
using vantor::kSearchControls;
using vantor::kSearchDialog;

QRect ControlRect(int id, const vantor::DialogScale& scale) {
    return vantor::DesignedControlRect(*vantor::FindControlEntry(kSearchDialog, id), scale);
}

// A designed pixel size grown as the window's dialog units grew.
int Grown(int pixels, const vantor::DialogScale& scale) {
    return static_cast<int>(std::lround(pixels * scale.y / vantor::kClassicDialogScale.y));
}

// The space key does nothing anywhere in the window: a guest's thumb on the space bar of a
// physical keyboard neither types a blank nor presses the focused button.
bool IsSpaceKey(const QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride) {
        return false;
    }
    return static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Space;
}

}  // namespace

CDlgSearch::CDlgSearch(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("引位"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // Laid out on the touch base font, as large as the screen holds beside the keyboard.
    const QSize keyboard = vantor::DialogSizeToPixels(vantor::kKeyboardSizeDlu, KeyboardScale(parent));
    scale_ = vantor::TouchDialogScale(kSearchDialog.client_dlu,
                                      vantor::FormRoom(parent) - QSize(keyboard.width(), 0));
    setFixedSize(vantor::DesignedClientSize(kSearchDialog, scale_));
    PlaceBesideKeyboardRoom(keyboard.width());
    CreateControls();
    vantor::MarkFormWindow(*this, scale_.LinePixels());
    // 1. The seating plan, when there is one (a missing or broken file leaves the picture null).
    plan_ = QImage(QString::fromStdString(vantor::ToNativePath(vantor::kSeatPlanPath)));
    // 2. The two areas drawn by the window.
    picture_area_ = ControlRect(vantor::IDC_SEARCH_PICTURE, scale_);
    detail_area_ = ControlRect(vantor::IDC_SEARCH_DETAILS, scale_);
    // 3.
    hint_->setText(ToQt(GetLanStr(u"19")));
    keyboard_button_->setText(ToQt(GetLanStr(u"18")));
    exit_->setText(ToQt(GetLanStr(u"15")));
    // 4.
    guests_ = vantor::LoadGuestList();
    // 5.
    font_ = MakeDetailsFont();
    // 6.
    keyboard_ = std::make_unique<CDlgKeyBoard>();
    keyboard_->SetTarget(field_);
}

CDlgSearch::~CDlgSearch() = default;

void CDlgSearch::CreateControls() {
    for (const ControlEntry& entry : kSearchControls) {
        QWidget* control = nullptr;
        // Children of the window, which deletes them.
        switch (entry.id) {
            case vantor::IDC_SEARCH_HINT:
                control = hint_ = new QLabel(ToQt(tstring(entry.caption)), this);
                break;
            case vantor::IDC_SEARCH_FIELD:
                control = field_ = new QLineEdit(this);
                break;
            case vantor::IDC_SEARCH_MATCHES:
                control = matches_ = new COwnerListBox(this);
                break;
            case vantor::IDC_SEARCH_KEYBOARD:
                control = keyboard_button_ = new QPushButton(ToQt(tstring(entry.caption)), this);
                break;
            case vantor::IDC_SEARCH_EXIT:
                control = exit_ = new QPushButton(ToQt(tstring(entry.caption)), this);
                break;
            default:
                continue;  // the two frames are areas the window paints itself
        }
        control->setGeometry(vantor::DesignedControlRect(entry, scale_));
        vantor::SetControlId(control, entry.id);
        control->installEventFilter(this);
    }
    exit_->setDefault(true);
    matches_->SetEntryHeight(Grown(COwnerListBox::kEntryHeight, scale_));
    connect(field_, &QLineEdit::textChanged, this, [this] { Search(); });
    connect(matches_, &QListWidget::currentRowChanged, this, [this] { update(detail_area_); });
    connect(keyboard_button_, &QPushButton::clicked, this, [this] { ShowKeyboard(); });
    connect(exit_, &QPushButton::clicked, this, [this] { HideWindows(); });
}

QFont CDlgSearch::MakeDetailsFont() const {
    // "新宋体" is a fixed-pitch Chinese face; fontconfig names the installed face standing in for
    // it (WenQuanYi Zen Hei Mono with the project's packages). 32 pixels high as designed, grown
    // with the window, bold; a long name or table is drawn smaller to fit.
    QFont font(vantor::MatchFontFamily({QStringLiteral("新宋体"), QStringLiteral("zh-cn"), true}));
    font.setPixelSize(Grown(32, scale_));
    font.setWeight(QFont::Bold);
    font.setFixedPitch(true);
    return font;
}

void CDlgSearch::PlaceBesideKeyboardRoom(int keyboard_width) {
    // Centred on the screen together with the keyboard that opens on its right.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    const QSize pair(width() + keyboard_width, height());
    move(available.topLeft() + QPoint(std::max(0, (available.width() - pair.width()) / 2),
                                      std::max(0, (available.height() - pair.height()) / 2)));
}

void CDlgSearch::ShowKeyboard() {
    // Beside the search window: on its right when the screen has room there, else on its left.
    const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    const QRect frame = frameGeometry();
    QPoint at(frame.right() + 1, frame.top());
    if (screen != nullptr) {
        const QRect available = screen->availableGeometry();
        const int keyboard_width = keyboard_->frameGeometry().width();
        if (at.x() + keyboard_width > available.right() + 1) {
            if (frame.left() - keyboard_width >= available.left()) {
                at.setX(frame.left() - keyboard_width);
            } else {
                // Neither side has room: the window moves over so that both fit side by side.
                const int left =
                    std::max(available.left(), available.right() + 1 - keyboard_width - frame.width());
                move(pos() + QPoint(left - frame.left(), 0));
                at.setX(left + frame.width());
            }
        }
        at.setY(std::clamp(at.y(), available.top(),
                           std::max(available.top(), available.bottom() - keyboard_->height())));
    }
    keyboard_->move(at);
    keyboard_->show();
    keyboard_->raise();
}

void CDlgSearch::HideWindows() {
    keyboard_->hide();
    hide();
}

void CDlgSearch::reject() {
    HideWindows();
}

void CDlgSearch::closeEvent(QCloseEvent* event) {
    event->ignore();
    HideWindows();
}

void CDlgSearch::Search() {
    const tstring text = FromQt(field_->text());
    if (text.IsEmpty()) {
        return;
    }
    matches_->clear();
    for (const int index : vantor::FindGuests(guests_, text)) {
        matches_->addItem(ToQt(guests_[static_cast<std::size_t>(index)].name));
        matches_->item(matches_->count() - 1)->setData(Qt::UserRole, index);
    }
    if (matches_->count() > 0) {
        matches_->setCurrentRow(0);
    }
    update(detail_area_);
}

tstring CDlgSearch::DetailsText() const {
    const QListWidgetItem* selected = matches_->currentItem();
    if (selected == nullptr) {
        return {};
    }
    const int index = selected->data(Qt::UserRole).toInt();
    if (index < 0 || static_cast<std::size_t>(index) >= guests_.size()) {
        return {};
    }
    const vantor::GuestRecord& guest = guests_[static_cast<std::size_t>(index)];
    const tstring format = GetLanStr(u"16") + tstring(u"\n") + GetLanStr(u"17");
    tstring text;
    text.Format(format, guest.name, guest.table);
    return text;
}

void CDlgSearch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!plan_.isNull()) {
        painter.drawImage(picture_area_, plan_);
    }
    painter.fillRect(detail_area_, QColor(255, 0, 0));
    painter.setPen(QColor(0, 0, 255));
    const tstring details = DetailsText();
    const vantor::FittedText fitted = vantor::FitText(font_, ToQt(details), detail_area_.size());
    painter.setFont(fitted.font);
    if (fitted.wraps) {
        painter.drawText(detail_area_, Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, ToQt(details));
    } else {
        MultiLineTextOut(painter, detail_area_.left(), detail_area_.top(), details, 0);
    }
}

bool CDlgSearch::eventFilter(QObject* watched, QEvent* event) {
    if (IsSpaceKey(event)) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
