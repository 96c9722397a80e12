#include "app/startup_dlg.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include "app/startup_dlg_layout.h"
#include "controls/button_st.h"
#include "controls/button_face.h"
#include "layout/skin_files.h"
#include "layout/control_table.h"
#include "layout/full_screen.h"
#include "layout/scale_control.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "language/language.h"
#include "text/qt_text.h"

using namespace travenor;

CStartUpDlg::CStartUpDlg(const vantor::Clock& clock, WallLauncher showWall, QScreen* screen, QWidget* parent)
    : QDialog(parent), storage_(clock), showWall_(std::move(showWall)) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    CreateControls();
    OnInitDialog(screen);
}

CStartUpDlg::~CStartUpDlg() = default;

void CStartUpDlg::CreateControls() {
    resize(vantor::DesignedClientSize(kStartUpDialog));
    QFont captionFont(QStringLiteral("WenQuanYi Zen Hei"));
    captionFont.setPixelSize(18);
    for (const vantor::ControlEntry& control : kStartUpDialog.controls) {
        auto* button = new CButtonST(tstring(control.caption), this);
        vantor::SetControlId(button, control.id);
        button->setFont(captionFont);
        button->setGeometry(vantor::DesignedControlRect(control));
        button->setFocusPolicy(Qt::NoFocus);
        const int id = control.id;
        connect(button, &CButtonST::ButtonClicked, this, [this, id] { OnCommand(id); });
    }
}

void CStartUpDlg::OnInitDialog(QScreen* screen) {
    setWindowTitle(ToQt(tstring(kStartUpTitle)));
    if (vantor::SkinFileExists(kStartUpBackground)) {
        background_ = vantor::LoadSkinPicture(kStartUpBackground);
    }
    // The stretch is measured against the designed client size, before the window is moved.
    const QSize client = size();
    const QRect screenRect = vantor::PlaceFullScreen(this, screen);
    screenSize_ = screenRect.size();
    if (!screenRect.isEmpty() && client.width() > 0 && client.height() > 0) {
        factorX_ = static_cast<double>(screenSize_.width()) / client.width();
        factorY_ = static_cast<double>(screenSize_.height()) / client.height();
    }
    for (const vantor::ControlEntry& control : kStartUpDialog.controls) {
        ScaleControlRect(Button(control.id), factorX_, factorY_);
    }
    if (HasBackground()) {
        update();
    }
    ApplyFaces();
}

void CStartUpDlg::ApplyFaces() {
    for (const ButtonFace& face : kStartUpFaces) {
        CButtonST* button = Button(face.id);
        if (button != nullptr && vantor::SkinFileExists(face.file)) {
            LoadButtonFace(faces_[face.id], face.file, *button);
        }
    }
}

void CStartUpDlg::SetWindowOpener(int id, WindowOpener opener) {
    openers_[id] = std::move(opener);
}

CButtonST* CStartUpDlg::Button(int id) const {
    return qobject_cast<CButtonST*>(vantor::FindControl(this, id));
}

void CStartUpDlg::OnCommand(int id) {
    switch (id) {
        case IDC_QUIT:
            reject();
            return;
        case IDC_PHOTOWALL:
            OnPhotoWall();
            return;
        default:
            break;
    }
    const auto opener = openers_.find(id);
    if (opener != openers_.end() && opener->second) {
        opener->second(*this, storage_.TodayWithTemplate());
    }
}

void CStartUpDlg::OnPhotoWall() {
    const vantor::MessageAnswer answer =
        vantor::ShowMessageBox(GetLanStr(u"52"), u"tips", vantor::MessageButtons::YesNo);
    if (!showWall_) {
        return;
    }
    if (answer != vantor::MessageAnswer::Yes) {
        showWall_(nullptr);
        return;
    }
    // The day's folder itself may not exist yet: the wall then shows an empty folder.
    storage_.EnsureRoot();
    const tstring folder = storage_.TodayWithTemplate();
    showWall_(folder.Data());
}

void CStartUpDlg::ToggleButtons() {
    const CButtonST* lottery = Button(IDC_LOTTERY);
    const bool visible = lottery != nullptr && lottery->isVisibleTo(this);
    if (visible && vantor::ShowMessageBox(GetLanStr(u"51"), u"Tips", vantor::MessageButtons::YesNo) !=
                       vantor::MessageAnswer::Yes) {
        return;
    }
    for (const vantor::ControlEntry& control : kStartUpDialog.controls) {
        if (CButtonST* button = Button(control.id)) {
            button->setVisible(!visible);
        }
    }
}

void CStartUpDlg::paintEvent(QPaintEvent*) {
    if (background_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), screenSize_), background_);
}

void CStartUpDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        ToggleButtons();
        event->accept();
        return;
    }
    QDialog::mouseDoubleClickEvent(event);
}
