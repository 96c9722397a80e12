#include "capture/travenor_dlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include "capture/capture_keys.h"
#include "capture/capture_layout.h"
#include "capture/colour_picker.h"
#include "capture/live_picture.h"
#include "capture/qr_card.h"
#include "capture/sign_in_files.h"
#include "controls/my_slider_control.h"
#include "layout/dialog_units.h"
#include "overlay/template_finder.h"
#include "overlay/template_opening.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "platform/window_message.h"
#include "settings/bounded_setting.h"
#include "storage/storage_layout.h"
#include "language/language.h"
#include "text/qt_text.h"

namespace {

constexpr const char16_t* kNotSavedMessage =
    u"照片没有保存成功!\n\n存储文件夹无法写入,请检查磁盘空间和文件夹权限。";

QString Native(const tstring& path) {
    return QString::fromStdString(vantor::ToNativePath(path));
}

QCursor LoadCursor(const tstring& file, QPoint hot_spot, Qt::CursorShape fallback) {
    const QPixmap picture(Native(file));
    return picture.isNull() ? QCursor(fallback) : QCursor(picture, hot_spot.x(), hot_spot.y());
}

void Warn(const tstring& text) {
    vantor::ShowMessageBox(text, u"tips", vantor::MessageButtons::Ok, vantor::MessageIcon::Warning);
}

}  // namespace

CTravenorDlg::CTravenorDlg(GuestCounter& counter, QWidget* parent, CaptureWindowServices services)
    : QDialog(parent),
      services_(WithStationDefaults(std::move(services))),
      counter_(counter),
      sign_in_(*services_.clock, counter_,
               SignInStore(tstring(vantor::kStorageRoot), tstring(vantor::kPhotoInProgressFile),
                           vantor::settings::ReadStationNumber(tstring(vantor::settings::kConfigFile))),
               services_.play_sound, services_.open_microphone),
      print_flow_(services_.printer) {
    setWindowTitle(QStringLiteral("Vantor"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);

    // 1. The camera, drawing into the preview control. 2. Several cameras: the operator picks one.
    live_.emplace(*this, services_.make_camera());
    preview_ = &live_->Preview();
    live_->ChooseDevice(*this);
    panel_.emplace(*this, *preview_, [this](int id) { RunCommand(id); });
    ConnectPanel();
    CreateGuestLink();
    // 5. Pens.
    panel_->Picker().SetColour(0);
    panel_->Slider().setRange(3, 20);
    panel_->Slider().setValue(3);
    sign_in_.SetPenColour(panel_->Picker().Colour());
    sign_in_.SetPenWidth(panel_->Slider().value());
    // 6. Full screen, the preview taking the screen's height.
    LayOut();
    ink_cursor_ = LoadCursor(kInkCursor, QPoint(3, 28), Qt::CrossCursor);
    highlighter_cursor_ = LoadCursor(kHighlighterCursor, QPoint(4, 27), Qt::CrossCursor);
    preview_->setCursor(ink_cursor_);
    live_->AssumeArea(QRect(QPoint(0, 0), preview_rect_.size()));
    // 8. The template frame over the preview, the list, the first template.
    CreateOverlay();
    // Above the frame: the notice for a camera that dropped out.
    live_->CreateNotice(*this, ToQt(GetLanStr(u"55")), ToQt(GetLanStr(u"56")));
    // 4, 7. The animations, beneath the template list and the preview.
    animations_.emplace(*this, TemplateList()->geometry(), *preview_);
    // 9. The sign-in set its last action time when it was made.
    // 10. A camera that does not open leaves the window without a live picture. It opens in the
    // background: the window is there at once and the live picture follows.
    // A camera that drops out later is noticed, and reopened by itself.
    live_->Start([this] {
        UpdateCameraNotice();
        update(preview_rect_);
    });
    // 11.
    panel_->ApplyFaces();
    panel_->ShowWelcome(GetLanStr(u"39"), PanelFontPixels());
    panel_picture_ = QImage(Native(kPanelPicture));
    sign_in_.SetMicrophoneStoppedHandler([this] { OnMicrophoneStopped(); });
    qApp->installEventFilter(this);
}

CTravenorDlg::~CTravenorDlg() {
    qApp->removeEventFilter(this);
}

// The panel's texts grow with the screen: about 2.4 % of its height.
int CTravenorDlg::PanelFontPixels() const {
    return std::max(12, height() * 24 / 1000);
}

void CTravenorDlg::ShowCameraIn(const QRect& area) {
    live_->ShowIn(area);
    UpdateCameraNotice();
}

// The notice shows over the live picture only: never over a photo on screen, so it is in neither
// the still nor the saved picture, which are copied from the screen.
void CTravenorDlg::UpdateCameraNotice() {
    if (!live_->IsLost() || flow_.State() != CaptureState::Live) {
        live_->ShowNotice(std::nullopt);
        return;
    }
    std::optional<QRect> opening;
    if (frame_shown_ && template_applied_) {
        const OpeningRect bounds = TransparentBounds(overlay_->Layer(), overlay_->AlphaThreshold());
        if (!bounds.IsEmpty()) {
            opening = QRect(QPoint(bounds.left, bounds.top), QPoint(bounds.right, bounds.bottom));
        }
    }
    const QRect area = LivePictureArea(live_->Area(), preview_rect_.size(), opening);
    live_->ShowNotice(area.translated(preview_rect_.topLeft()));
}

QWidget* CTravenorDlg::Control(int id) const {
    return panel_->Control(id);
}

tstring CTravenorDlg::FaceFile(int id) const {
    return panel_->FaceFile(id);
}

QListWidget* CTravenorDlg::TemplateList() const {
    return &panel_->TemplateList();
}

// The slider sets the pen's width; the template list applies the template clicked.
void CTravenorDlg::ConnectPanel() {
    CMySliderControl* slider = &panel_->Slider();
    connect(slider, &QSlider::valueChanged, this, [this](int value) { sign_in_.SetPenWidth(value); });
    connect(slider, &QSlider::sliderMoved, this, [this, slider](int value) {
        sign_in_.SetPenWidth(value);
        update();
        slider->update();
    });
    connect(slider, &QSlider::sliderReleased, this, [this, slider] {
        sign_in_.SetPenWidth(slider->value());
        if (sign_in_.IsCaptured()) {
            update(preview_rect_);
        }
    });
    connect(&panel_->TemplateList(), &QListWidget::itemClicked, this, &CTravenorDlg::OnTemplateClicked);
}

// The guest's QR code after each save, when the settings ask for personal links.
void CTravenorDlg::CreateGuestLink() {
    const vantor::settings::GallerySettings& settings = *services_.gallery;
    link_seconds_ = std::chrono::seconds(settings.qr_seconds);
    sign_in_.SetPersonalLinks(StationPersonalLinks(settings, tstring(vantor::kStorageRoot)));
    sign_in_.SetSaveYield(services_.save_yield);
    guest_link_ = new QrCard(this, Qt::AlignBottom);
    guest_link_->setGeometry(vantor::DialogRectToPixels(kGuestLinkRect));
    panel_->AddControl(kIdGuestLink, *guest_link_);
}

void CTravenorDlg::LayOut() {
    const QSize screen = services_.screen_size;
    const QSize client = vantor::DesignedClientSize(CaptureDialogTemplate());
    const double factor_x = static_cast<double>(screen.width()) / client.width();
    const double factor_y = static_cast<double>(screen.height()) / client.height();
    const int preview_client_width =
        vantor::DesignedControlRect(*vantor::FindControlEntry(CaptureDialogTemplate(), kIdPreview)).width();
    preview_rect_ = QRect(0, 0, static_cast<int>(factor_x * preview_client_width), screen.height());
    sign_in_.SetPreviewRect(preview_rect_);
    setWindowFlag(Qt::FramelessWindowHint);
    setGeometry(QRect(QPoint(0, 0), screen));
    panel_->Scale(factor_x, factor_y);
    preview_->setGeometry(preview_rect_);
}

void CTravenorDlg::CreateOverlay() {
    overlay_ = new CChildDialog(this, this);
    overlay_->setGeometry(preview_rect_);
    overlay_->setCursor(ink_cursor_);
    overlay_->Initialise();
    overlay_->show();
    overlay_->raise();
    templates_ = panel_->FillTemplateList(size());
    if (!templates_.empty()) {
        overlay_->ApplyTemplate(templates_.front().path);
    }
    TemplateList()->setVisible(TemplateListVisibleFlag());
}

// ---- commands ----

void CTravenorDlg::RunCommand(int id) {
    switch (id) {
        case kIdPhotoSave:
            PhotoOrSave();
            break;
        case kIdDiscard:
            Discard();
            break;
        case kIdReturn:
            Leave();
            break;
        case kIdRewrite:
            Rewrite();
            break;
        case kIdSeatSearch:
            if (services_.show_seat_search) {
                services_.show_seat_search();
            }
            break;
        case kIdShowHideFrame:
            ToggleFrame();
            break;
        case kIdColourPicker:
            sign_in_.SetPenColour(panel_->Picker().Colour());
            break;
        case kIdHighlighter:
            UsePen({kHighlighter, kHighlighterColour, 15});
            break;
        case kIdInkPen:
            UsePen({kInkPen, 0, 3});
            break;
        case kMenuPictureHints:
            ShowPictureHints();
            break;
        case kMenuInsertTime:
            sign_in_.ToggleInsertTime();
            break;
        case kIdRecord:
            Record();
            break;
        case kIdPrint:
            print_flow_.Print(sign_in_.LastSavedPicture());
            break;
        case kMenuChoosePrinter:
            print_flow_.ChoosePrinterAgain();
            break;
        default:
            break;
    }
}

void CTravenorDlg::PhotoOrSave() {
    // The photo button reads "保存" exactly while a photo is captured.
    if (sign_in_.IsCaptured()) {
        Save();
    } else {
        TakePhoto();
    }
}

void CTravenorDlg::TakePhoto() {
    const auto camera_frame = [this] { return live_->Frame(); };
    // The overlay is still up: the still is the camera picture inside the frame, as the guest saw it.
    // A camera that is away leaves the frame alone; its notice is not part of the photo.
    const auto copy_preview = [this] {
        live_->ShowNotice(std::nullopt);
        guest_link_->Dismiss();
        return CopyPreviewArea();
    };
    const bool refused = !flow_.Allows(CaptureEvent::PhotoTaken);
    if (sign_in_.TakePhoto(refused, camera_frame, copy_preview) != SignIn::PhotoResult::Taken) {
        UpdateCameraNotice();
        return;
    }
    flow_.Apply(CaptureEvent::PhotoTaken);
    preview_->hide();
    overlay_->hide();
    panel_->ShowPhotoButton(true);
    UpdateCameraNotice();
    update();
}

void CTravenorDlg::Save() {
    const SignIn::SaveResult result = sign_in_.Save([this] { return CopyPreviewArea(); });
    switch (result) {
        case SignIn::SaveResult::Refused:
            return;
        case SignIn::SaveResult::NotSaved:
            // The sign-in stays on screen, handwriting and all, so the guest can try again; the
            // recording has ended, what it recorded is kept for the next attempt.
            flow_.Apply(CaptureEvent::RecordingEnded);
            ShowRecordState();
            Warn(kNotSavedMessage);
            update();
            return;
        case SignIn::SaveResult::Saved:
        case SignIn::SaveResult::SavedWithoutVoice: {
            const int next = NextTemplateIndex(templates_, overlay_->CurrentTemplateName());
            if (next >= 0) {
                overlay_->ApplyTemplate(templates_[next].path);
            }
            flow_.Apply(CaptureEvent::Saved);
            if (animations_->PlaySave()) {
                preview_->hide();
            } else {
                OnSaveAnimationEnded();
            }
            panel_->ShowPhotoButton(false);
            ShowRecordState();
            wall_notice_.Tell();
            // After the animation has begun: the code never holds it up.
            if (const std::optional<std::string>& link = sign_in_.LastLink()) {
                guest_link_->SetContent(*link, {ToQt(GetLanStr(u"75"))});
                guest_link_->ShowFor(link_seconds_);
            }
            if (result == SignIn::SaveResult::SavedWithoutVoice) {
                update();
                Warn(GetLanStr(u"58"));
            }
            break;
        }
        case SignIn::SaveResult::NoPhoto:
            break;
    }
    update();
}

void CTravenorDlg::Discard() {
    if (!sign_in_.Discard()) {
        return;
    }
    flow_.Apply(CaptureEvent::Discarded);
    ShowPreviewAndOverlay();
    panel_->ShowPhotoButton(false);
    ShowRecordState();
    update();
}

void CTravenorDlg::Record() {
    switch (sign_in_.Record()) {
        case SignIn::RecordResult::NotCaptured:
            Warn(GetLanStr(u"10"));
            return;
        case SignIn::RecordResult::AlreadyRecording:
            Warn(GetLanStr(u"11"));
            return;
        case SignIn::RecordResult::Started:
        case SignIn::RecordResult::NoMicrophone:
            flow_.Apply(CaptureEvent::RecordingStarted);
            ShowRecordState();
            return;
    }
}

void CTravenorDlg::ShowRecordState() {
    panel_->ShowRecording(flow_.State() == CaptureState::Recording);
}

void CTravenorDlg::OnMicrophoneStopped() {
    flow_.Apply(CaptureEvent::RecordingEnded);
    ShowRecordState();
    Warn(GetLanStr(u"57"));
}

void CTravenorDlg::Rewrite() {
    if (sign_in_.Rewrite()) {
        update();
    }
}

void CTravenorDlg::Leave() {
    if (vantor::ShowMessageBox(GetLanStr(u"40"), u"tips", vantor::MessageButtons::YesNo) ==
        vantor::MessageAnswer::No) {
        return;
    }
    sign_in_.Leave();
    flow_.Apply(CaptureEvent::Left);
    live_->Close();
    done(QDialog::Accepted);
}

void CTravenorDlg::reject() {
    // Escape never closes the window; leaving is button 1003.
}

void CTravenorDlg::ToggleFrame() {
    if (flow_.HasPhoto()) {
        return;
    }
    frame_shown_ = !frame_shown_;
    overlay_->setVisible(frame_shown_);
    if (frame_shown_ && template_applied_) {
        const TemplateEntry* entry = FindTemplateEntry(overlay_->CurrentTemplateName());
        const OpeningRect opening = entry ? entry->opening : OpeningRect{};
        ShowCameraIn(QRect(QPoint(opening.left, opening.top), QPoint(opening.right - 1, opening.bottom - 1)));
    } else {
        ShowCameraIn(QRect(0, 0, preview_rect_.width(), preview_rect_.height()));
    }
}

void CTravenorDlg::OnSaveAnimationEnded() {
    // Only the animation's end brings the live picture back: never over a photo on screen.
    if (flow_.Apply(CaptureEvent::AnimationEnded)) {
        ShowPreviewAndOverlay();
    }
}

void CTravenorDlg::ShowPreviewAndOverlay() {
    preview_->show();
    overlay_->show();
    overlay_->raise();
    guest_link_->raise();
    UpdateCameraNotice();
}

void CTravenorDlg::UsePen(const PenChoice& pen) {
    panel_->ShowPen(pen);
    sign_in_.SetPenWidth(pen.width);
    sign_in_.SetPenColour(panel_->Picker().Colour());
    sign_in_.SetPenKind(pen.kind);
    UpdatePenCursor(mapFromGlobal(QCursor::pos()));
}

void CTravenorDlg::ShowPictureHints() {
    tstring text;
    text.Format(GetLanStr(u"53").Data(), width(), height(), preview_->width(), preview_->height(),
                TemplateList()->width(), TemplateList()->height());
    vantor::ShowMessageBox(text, u"tips");
}

void CTravenorDlg::OnTemplateClicked(QListWidgetItem* item) {
    if (item && !item->text().isEmpty()) {
        overlay_->ApplyTemplate(FromQt(item->text()));
    }
}

// ---- overlay owner ----

void CTravenorDlg::OverlayCommand(int command) {
    RunCommand(command);
}

TemplateEntry* CTravenorDlg::FindTemplateEntry(const tstring& path) {
    const int index = TemplateIndex(templates_, path);
    return index < 0 ? nullptr : &templates_[index];
}

QSize CTravenorDlg::CameraSize() const {
    return live_->FrameSize();
}

void CTravenorDlg::SetCameraRect(const OpeningRect& rect) {
    template_applied_ = true;
    ShowCameraIn(QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)));
}

void CTravenorDlg::SetTemplateListVisible(bool visible) {
    TemplateList()->setVisible(visible);
}

void CTravenorDlg::RepaintOwner() {
    update();
}

// ---- keys ----

bool CTravenorDlg::HandleKey(int key) {
    switch (CaptureKeyActionFor(key, services_.seat_search_visible)) {
        case CaptureKeyAction::Pass:
            return false;
        case CaptureKeyAction::Swallow:
            break;
        case CaptureKeyAction::Record:
            // Taken here: an ignored key climbs from the focused control to its parents, and this
            // filter would see it again on each of them and record again ("11").
            RunCommand(kIdRecord);
            break;
        case CaptureKeyAction::PhotoOrSave:
            PhotoOrSave();
            break;
        case CaptureKeyAction::Rewrite:
            Rewrite();
            break;
        case CaptureKeyAction::OpenMenu:
            overlay_->OpenMenu(QPoint(200, 200));
            break;
    }
    return true;
}

bool CTravenorDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* target = qobject_cast<QWidget*>(watched);
        if (target && (target == this || isAncestorOf(target))) {
            return HandleKey(static_cast<QKeyEvent*>(event)->key());
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool CTravenorDlg::event(QEvent* event) {
    if (const vantor::WindowMessageEvent* message = vantor::AsWindowMessage(event)) {
        if (message->Message() == kSaveAnimationEnded) {
            OnSaveAnimationEnded();
            return true;
        }
    }
    return QDialog::event(event);
}

// ---- handwriting ----

void CTravenorDlg::UpdatePenCursor(QPoint at) {
    const QCursor& pen = sign_in_.PenKind() == kHighlighter ? highlighter_cursor_ : ink_cursor_;
    preview_->setCursor(pen);
    overlay_->setCursor(pen);
    if (preview_rect_.contains(at)) {
        setCursor(pen);
    } else {
        unsetCursor();
    }
}

void CTravenorDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        sign_in_.PenDown(event->position().toPoint());
    }
    QDialog::mousePressEvent(event);
}

void CTravenorDlg::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    UpdatePenCursor(at);
    if (const std::optional<QRect> changed = sign_in_.PenMove(at, event->buttons() & Qt::LeftButton)) {
        update(*changed);
    }
    QDialog::mouseMoveEvent(event);
}

void CTravenorDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        sign_in_.PenUp();
    }
    QDialog::mouseReleaseEvent(event);
}

void CTravenorDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && preview_rect_.contains(event->position().toPoint()) &&
        overlay_->SingleClickOn()) {
        Save();
        return;
    }
    QDialog::mouseDoubleClickEvent(event);
}

// ---- painting ----

QImage CTravenorDlg::CopyPreviewArea() {
    // What the guest sees over the preview: this window's picture with everything shown above it.
    return grab(preview_rect_).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void CTravenorDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& inked = sign_in_.IsCaptured() ? sign_in_.InkedStill() : QImage();
    if (!inked.isNull()) {
        // The still is in the screen's pixels, which may be finer than window units.
        painter.drawImage(QRectF(preview_rect_), inked);
    } else {
        painter.fillRect(preview_rect_, Qt::black);
    }
    const QRect panel(QPoint(preview_rect_.right() + 1, 0), QPoint(width() - 1, height() - 1));
    if (!panel_picture_.isNull()) {
        painter.drawImage(panel, panel_picture_);
    } else {
        painter.fillRect(panel, QColor(250, 244, 236));
    }
    tstring counter;
    counter.Format(u"%s: %d", GetLanStr(u"1"), counter_.Count());
    painter.setPen(QColor(255, 0, 0));
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    font.setPixelSize(PanelFontPixels());
    painter.setFont(font);
    painter.drawText(QPoint(preview_rect_.right() + 1 + 30, preview_rect_.bottom() + 1 - 30), ToQt(counter));
}

void OpenCaptureWindow(QWidget& menu, GuestCounter& counter, std::function<void()> showSeatSearch,
                       SaveYield* save_yield) {
    CaptureWindowServices services;
    services.show_seat_search = std::move(showSeatSearch);
    services.save_yield = save_yield;
    CTravenorDlg window(counter, &menu, std::move(services));
    window.setWindowModality(Qt::WindowModal);
    window.exec();
}
