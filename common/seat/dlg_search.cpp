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
#include "controls/multi_line_text.h"
#include "layout/control_table.h"
#include "layout/dialog_units.h"
#include "platform/font_match.h"
#include "platform/native_path.h"
#include "seat/dlg_keyboard.h"
#include "seat/owner_list_box.h"
#include "language/language.h"
#include "text/qt_text.h"

namespace {

using vantor::ControlEntry;
using vantor::kSearchControls;
using vantor::kSearchDialog;

QRect ControlRect(int id) {
    return vantor::DesignedControlRect(*vantor::FindControlEntry(kSearchDialog, id));
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
    setFixedSize(vantor::DesignedClientSize(kSearchDialog));
    CreateControls();
    // 1. The seating plan, when there is one (a missing or broken file leaves the picture null).
    plan_ = QImage(QString::fromStdString(vantor::ToNativePath(vantor::kSeatPlanPath)));
    // 2. The two areas drawn by the window.
    picture_area_ = ControlRect(vantor::IDC_SEARCH_PICTURE);
    detail_area_ = ControlRect(vantor::IDC_SEARCH_DETAILS);
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
        control->setGeometry(vantor::DesignedControlRect(entry));
        vantor::SetControlId(control, entry.id);
        control->installEventFilter(this);
    }
    exit_->setDefault(true);
    connect(field_, &QLineEdit::textChanged, this, [this] { Search(); });
    connect(matches_, &QListWidget::currentRowChanged, this, [this] { update(detail_area_); });
    connect(keyboard_button_, &QPushButton::clicked, this, [this] { ShowKeyboard(); });
    connect(exit_, &QPushButton::clicked, this, [this] { HideWindows(); });
}

QFont CDlgSearch::MakeDetailsFont() const {
    // "新宋体" is a fixed-pitch Chinese face; fontconfig names the installed face standing in for
    // it (WenQuanYi Zen Hei Mono with the project's packages). 32 pixels high, bold.
    QFont font(vantor::MatchFontFamily({QStringLiteral("新宋体"), QStringLiteral("zh-cn"), true}));
    font.setPixelSize(32);
    font.setWeight(QFont::Bold);
    font.setFixedPitch(true);
    return font;
}

void CDlgSearch::ShowKeyboard() {
    // Beside the search window: on its right when the screen has room there, else on its left.
    const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    const QRect frame = frameGeometry();
    QPoint at(frame.right() + 1, frame.top());
    if (screen != nullptr) {
        const QRect available = screen->availableGeometry();
        if (at.x() + keyboard_->width() > available.right()) {
            at.setX(std::max(available.left(), frame.left() - keyboard_->frameGeometry().width()));
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
    painter.setFont(font_);
    painter.setPen(QColor(0, 0, 255));
    MultiLineTextOut(painter, detail_area_.left(), detail_area_.top(), DetailsText(), 0);
}

bool CDlgSearch::eventFilter(QObject* watched, QEvent* event) {
    if (IsSpaceKey(event)) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
