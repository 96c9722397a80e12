#include "capture/travenor_dlg.h"

#include <QListWidget>
#include <QPainter>
#include "capture/capture_layout.h"
#include "capture/live_picture.h"
#include "capture/qr_card.h"
#include "capture/sign_in_files.h"
#include "overlay/template_finder.h"
#include "overlay/template_opening.h"
#include "platform/message_box.h"
#include "platform/window_message.h"
#include "settings/bounded_setting.h"
#include "storage/storage_layout.h"
#include "language/language.h"
#include "text/qt_text.h"

namespace {

constexpr const char16_t* kNotSavedMessage =
    u"照片没有保存成功!\n\n存储文件夹无法写入,请检查磁盘空间和文件夹权限。";

void Warn(const tstring& text) {
    vantor::ShowMessageBox(text, u"tips", vantor::MessageButtons::Ok, vantor::MessageIcon::Warning);
}

// The camera's area for a frame's opening, whose right and bottom lie just outside it.
QRect CameraAreaIn(const OpeningRect& opening) {
    return QRect(QPoint(opening.left, opening.top), QPoint(opening.right - 1, opening.bottom - 1));
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
    BindCommands();
    panel_.emplace(*this, *preview_, [this](int id) { RunCommand(id); });
    // 5. Pens; a pen's button changes the cursor too.
    pens_.emplace(*this, *panel_, sign_in_, [this] { handwriting_->ShowPen(mapFromGlobal(QCursor::pos())); });
    connect(&panel_->TemplateList(), &QListWidget::itemClicked, this, &CTravenorDlg::OnTemplateClicked);
    // The guest's QR code after each save, when the settings ask for personal links.
    const vantor::settings::GallerySettings& gallery = *services_.gallery;
    sign_in_.SetPersonalLinks(StationPersonalLinks(gallery, tstring(vantor::kStorageRoot)));
    sign_in_.SetSaveYield(services_.save_yield);
    guest_link_.emplace(*this, std::chrono::seconds(gallery.qr_seconds));
    panel_->AddControl(kIdGuestLink, guest_link_->Card());
    // 6. Full screen, the preview taking the screen's height.
    LayOut();
    // The handwriting; a double click over the preview saves in the frame's single-click mode.
    handwriting_.emplace(*this, sign_in_, preview_rect_, [this] {
        if (!overlay_->SingleClickOn()) {
            return false;
        }
        Save();
        return true;
    });
    handwriting_->ShowPenOver(*preview_);
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
    panel_->ShowWelcome(GetLanStr(u"39"), CapturePanelFontPixels(height()));
    sign_in_.SetMicrophoneStoppedHandler([this] { OnMicrophoneStopped(); });
    keys_.emplace(*this, services_.seat_search_visible, [this](CaptureKeyAction action) { OnKey(action); });
}

CTravenorDlg::~CTravenorDlg() = default;

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

void CTravenorDlg::LayOut() {
    const CaptureScreenLayout layout = CaptureLayoutFor(services_.screen_size);
    preview_rect_ = layout.preview;
    sign_in_.SetPreviewRect(preview_rect_);
    setWindowFlag(Qt::FramelessWindowHint);
    setGeometry(QRect(QPoint(0, 0), services_.screen_size));
    panel_->Scale(layout.factor_x, layout.factor_y);
    preview_->setGeometry(preview_rect_);
}

void CTravenorDlg::CreateOverlay() {
    overlay_ = new CChildDialog(this, this);
    overlay_->setGeometry(preview_rect_);
    handwriting_->ShowPenOver(*overlay_);
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

void CTravenorDlg::BindCommands() {
    commands_.Bind(kIdPhotoSave, [this] { PhotoOrSave(); });
    commands_.Bind(kIdDiscard, [this] { Discard(); });
    commands_.Bind(kIdReturn, [this] { Leave(); });
    commands_.Bind(kIdRewrite, [this] { Rewrite(); });
    commands_.Bind(kIdSeatSearch, [this] {
        if (services_.show_seat_search) {
            services_.show_seat_search();
        }
    });
    commands_.Bind(kIdShowHideFrame, [this] { ToggleFrame(); });
    commands_.Bind(kIdColourPicker, [this] { pens_->TakeColour(); });
    commands_.Bind(kIdHighlighter, [this] { pens_->Use({kHighlighter, kHighlighterColour, 15}); });
    commands_.Bind(kIdInkPen, [this] { pens_->Use({kInkPen, 0, 3}); });
    commands_.Bind(kMenuPictureHints, [this] { ShowPictureHints(); });
    commands_.Bind(kMenuInsertTime, [this] { sign_in_.ToggleInsertTime(); });
    commands_.Bind(kIdRecord, [this] { Record(); });
    commands_.Bind(kIdPrint, [this] { print_flow_.Print(sign_in_.LastSavedPicture()); });
    commands_.Bind(kMenuChoosePrinter, [this] { print_flow_.ChoosePrinterAgain(); });
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
            guest_link_->Show(sign_in_.LastLink());
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

void CTravenorDlg::ToggleFrame() {
    if (flow_.HasPhoto()) {
        return;
    }
    frame_shown_ = !frame_shown_;
    overlay_->setVisible(frame_shown_);
    if (frame_shown_ && template_applied_) {
        const TemplateEntry* entry = FindTemplateEntry(overlay_->CurrentTemplateName());
        const OpeningRect opening = entry ? entry->opening : OpeningRect{};
        ShowCameraIn(CameraAreaIn(opening));
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
    guest_link_->Raise();
    UpdateCameraNotice();
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

TemplateEntry* CTravenorDlg::FindTemplateEntry(const tstring& path) {
    const int index = TemplateIndex(templates_, path);
    return index < 0 ? nullptr : &templates_[index];
}

void CTravenorDlg::SetCameraRect(const OpeningRect& rect) {
    template_applied_ = true;
    ShowCameraIn(CameraAreaIn(rect));
}

void CTravenorDlg::SetTemplateListVisible(bool visible) {
    TemplateList()->setVisible(visible);
}

// ---- keys ----

void CTravenorDlg::OnKey(CaptureKeyAction action) {
    switch (action) {
        case CaptureKeyAction::Record:
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
        default:  // Enter and Escape are taken and do nothing
            break;
    }
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

// ---- painting ----

QImage CTravenorDlg::CopyPreviewArea() {
    // What the guest sees over the preview: this window's picture with everything shown above it.
    return grab(preview_rect_).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void CTravenorDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& inked = sign_in_.IsCaptured() ? sign_in_.InkedStill() : QImage();
    backdrop_.Paint(painter, size(), preview_rect_, inked, counter_.Count());
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
