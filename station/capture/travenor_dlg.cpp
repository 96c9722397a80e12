#include "capture/travenor_dlg.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include "capture/camera_notice.h"
#include "capture/capture_layout.h"
#include "capture/colour_picker.h"
#include "capture/qr_card.h"
#include "capture/sign_in_files.h"
#include "controls/button_st.h"
#include "controls/label.h"
#include "controls/my_slider_control.h"
#include "controls/button_face.h"
#include "layout/dialog_units.h"
#include "layout/scale_control.h"
#include "overlay/template_finder.h"
#include "overlay/template_opening.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "platform/sound.h"
#include "platform/window_message.h"
#include "settings/bounded_setting.h"
#include "storage/storage_layout.h"
#include "language/language.h"
#include "text/qt_text.h"

namespace {

constexpr const char16_t* kSeatSearchTitle = u"引位";
constexpr const char16_t* kNotSavedMessage =
    u"照片没有保存成功!\n\n存储文件夹无法写入,请检查磁盘空间和文件夹权限。";

QString Native(const tstring& path) {
    return QString::fromStdString(vantor::ToNativePath(path));
}

QCursor LoadCursor(const tstring& file, QPoint hot_spot, Qt::CursorShape fallback) {
    const QPixmap picture(Native(file));
    return picture.isNull() ? QCursor(fallback) : QCursor(picture, hot_spot.x(), hot_spot.y());
}

bool AnyVisibleWindowTitled(const tstring& title) {
    const QString wanted = ToQt(title);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowTitle() == wanted) {
            return true;
        }
    }
    return false;
}

SignIn::SoundCue SoundOrDefault(SignIn::SoundCue play) {
    if (play) {
        return play;
    }
    return [](const tstring& path) { vantor::PlaySoundAsync(path); };
}

}  // namespace

CTravenorDlg::CTravenorDlg(GuestCounter& counter, QWidget* parent, CaptureWindowServices services)
    : QDialog(parent),
      services_(std::move(services)),
      counter_(counter),
      sign_in_(Clock(), counter_,
               SignInStore(tstring(vantor::kStorageRoot), tstring(vantor::kPhotoInProgressFile),
                           vantor::settings::ReadStationNumber(tstring(vantor::settings::kConfigFile))),
               SoundOrDefault(services_.play_sound),
               services_.open_microphone ? services_.open_microphone : &travenor::MakeMicrophone),
      print_flow_(services_.printer) {
    setWindowTitle(QStringLiteral("Vantor"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);

    // 1. The camera, drawing into the preview control.
    camera_ = services_.make_camera ? services_.make_camera() : MakeStationCamera();
    if (camera_) {
        preview_ = camera_->CreatePreview(this);
    }
    if (!preview_) {
        preview_ = new QWidget(this);
    }
    preview_->setAttribute(Qt::WA_TransparentForMouseEvents);
    vantor::SetControlId(preview_, kIdPreview);
    controls_[kIdPreview] = preview_;
    // 2. Several cameras: the operator picks one.
    if (camera_) {
        camera_->ChooseDevice(this);
    }
    CreateControls();
    CreateGuestLink();
    // 5. Pens.
    picker_->SetColour(0);
    slider_->setRange(3, 20);
    slider_->setValue(3);
    sign_in_.SetPenColour(picker_->Colour());
    sign_in_.SetPenWidth(slider_->value());
    // 6. Full screen, the preview taking the screen's height.
    LayOut();
    ink_cursor_ = LoadCursor(kInkCursor, QPoint(3, 28), Qt::CrossCursor);
    highlighter_cursor_ = LoadCursor(kHighlighterCursor, QPoint(4, 27), Qt::CrossCursor);
    preview_->setCursor(ink_cursor_);
    camera_area_ = QRect(QPoint(0, 0), preview_rect_.size());
    // 8. The template frame over the preview, the list, the first template.
    CreateOverlay();
    // Above the frame: the notice for a camera that dropped out.
    camera_notice_ = new CameraNotice(this);
    camera_notice_->SetTexts(ToQt(GetLanStr(u"55")), ToQt(GetLanStr(u"56")));
    camera_notice_->hide();
    // 4, 7. The animations, beneath the template list and the preview.
    PlaceAnimations();
    // 9. The sign-in set its last action time when it was made.
    // 10. A camera that does not open leaves the window without a live picture. It opens in the
    // background: the window is there at once and the live picture follows.
    // A camera that drops out later is noticed, and reopened by itself.
    if (camera_) {
        camera_->WatchDropOuts([this](bool lost) { OnCameraDropOut(lost); });
        camera_->StartOpening([this](bool opened) { OnCameraOpened(opened); });
    }
    // 11.
    ApplyFaces();
    welcome_->SetText(GetLanStr(u"39"));
    welcome_->SetTextColor(QColor(255, 0, 0));
    welcome_->SetFontName(u"WenQuanYi Zen Hei");
    welcome_->setAlignment(Qt::AlignCenter);
    welcome_->setWordWrap(true);
    // The largest size up to the panel's text size at which the welcome fits its label.
    int welcome_pixels = PanelFontPixels();
    for (; welcome_pixels > 10; --welcome_pixels) {
        QFont font(QStringLiteral("WenQuanYi Zen Hei"));
        font.setPixelSize(welcome_pixels);
        const QRect needed = QFontMetrics(font).boundingRect(
            QRect(QPoint(0, 0), welcome_->size()), Qt::TextWordWrap | Qt::AlignCenter, welcome_->text());
        if (needed.width() <= welcome_->width() && needed.height() <= welcome_->height()) {
            break;
        }
    }
    welcome_->SetFontSize(-welcome_pixels);  // negative: pixels
    panel_picture_ = QImage(Native(kPanelPicture));
    sign_in_.SetMicrophoneStoppedHandler([this] { OnMicrophoneStopped(); });
    qApp->installEventFilter(this);
}

CTravenorDlg::~CTravenorDlg() {
    qApp->removeEventFilter(this);
    // The display thread draws into the preview: end it before the children go.
    if (camera_) {
        camera_->Close();
    }
    camera_.reset();
}

// The panel's texts grow with the screen: about 2.4 % of its height.
int CTravenorDlg::PanelFontPixels() const {
    return std::max(12, height() * 24 / 1000);
}

const vantor::Clock& CTravenorDlg::Clock() const {
    return services_.clock ? *services_.clock : vantor::SystemLocalClock();
}

void CTravenorDlg::OnCameraOpened(bool opened) {
    if (opened) {
        update(preview_rect_);
    }
}

void CTravenorDlg::OnCameraDropOut(bool lost) {
    camera_lost_ = lost;
    UpdateCameraNotice();
    update(preview_rect_);
}

void CTravenorDlg::ShowCameraIn(const QRect& area) {
    camera_area_ = area;
    if (camera_) {
        camera_->SetDisplayRect(area.left(), area.top(), area.right() + 1, area.bottom() + 1);
    }
    UpdateCameraNotice();
}

// Where the guest sees the live picture, in preview coordinates: the camera's rectangle inside the
// frame's opening. A frame with a tiny or no opening leaves the whole preview.
QRect CTravenorDlg::LivePictureArea() const {
    const QRect preview(QPoint(0, 0), preview_rect_.size());
    QRect area = camera_area_.intersected(preview);
    if (frame_shown_ && template_applied_) {
        const OpeningRect bounds = TransparentBounds(overlay_->Layer(), overlay_->AlphaThreshold());
        if (!bounds.IsEmpty()) {
            area &= QRect(QPoint(bounds.left, bounds.top), QPoint(bounds.right, bounds.bottom));
        }
    }
    const bool big_enough = area.width() >= preview.width() / 4 && area.height() >= preview.height() / 4;
    return big_enough ? area : preview;
}

// The notice shows over the live picture only: never over a photo on screen, so it is in neither
// the still nor the saved picture, which are copied from the screen.
void CTravenorDlg::UpdateCameraNotice() {
    if (camera_notice_ == nullptr) {
        return;  // the first template comes before the notice is made
    }
    const bool live = !sign_in_.IsCaptured() && !preview_->isHidden();
    if (!camera_lost_ || !live) {
        camera_notice_->hide();
        return;
    }
    camera_notice_->PlaceIn(LivePictureArea().translated(preview_rect_.topLeft()));
    camera_notice_->show();
    camera_notice_->raise();
}

QWidget* CTravenorDlg::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void CTravenorDlg::CreateControls() {
    for (const vantor::ControlEntry& entry : CaptureDialogTemplate().controls) {
        QWidget* control = nullptr;
        switch (entry.id) {
            case kIdPreview:
                control = preview_;
                break;
            case kIdColourPicker:
                picker_ = new ColourPickerButton(this);
                picker_->setText(ToQt(entry.caption));
                connect(picker_, &ColourPickerButton::colourChosen, this,
                        [this] { RunCommand(kIdColourPicker); });
                control = picker_;
                break;
            case kIdPenSlider:
                slider_ = new CMySliderControl(this);
                connect(slider_, &QSlider::valueChanged, this,
                        [this](int value) { sign_in_.SetPenWidth(value); });
                connect(slider_, &QSlider::sliderMoved, this, [this](int value) {
                    sign_in_.SetPenWidth(value);
                    update();
                    slider_->update();
                });
                connect(slider_, &QSlider::sliderReleased, this, [this] {
                    sign_in_.SetPenWidth(slider_->value());
                    if (sign_in_.IsCaptured()) {
                        update(preview_rect_);
                    }
                });
                control = slider_;
                break;
            case kIdTemplateList:
                template_list_ = new QListWidget(this);
                template_list_->setViewMode(QListView::IconMode);
                template_list_->setFlow(QListView::TopToBottom);
                template_list_->setWrapping(false);
                template_list_->setMovement(QListView::Static);
                template_list_->setFocusPolicy(Qt::NoFocus);
                template_list_->setStyleSheet(
                    QStringLiteral("QListWidget { background: rgba(255, 250, 240, 150); }"));
                connect(template_list_, &QListWidget::itemClicked, this, &CTravenorDlg::OnTemplateClicked);
                control = template_list_;
                break;
            case kIdWelcome:
                welcome_ = new CLabel(this);
                control = welcome_;
                break;
            default: {
                auto* button = new CButtonST(this);
                button->setText(ToQt(entry.caption));
                button->setFocusPolicy(Qt::NoFocus);
                const int id = entry.id;
                connect(button, &QAbstractButton::clicked, this, [this, id] { RunCommand(id); });
                control = button;
                break;
            }
        }
        vantor::SetControlId(control, entry.id);
        control->setGeometry(vantor::DesignedControlRect(entry));
        controls_[entry.id] = control;
    }
}

// The guest's QR code after each save, when the settings ask for personal links.
void CTravenorDlg::CreateGuestLink() {
    const vantor::settings::GallerySettings settings =
        services_.gallery ? *services_.gallery : vantor::settings::ReadGallerySettings();
    link_seconds_ = std::chrono::seconds(settings.qr_seconds);
    sign_in_.SetPersonalLinks(StationPersonalLinks(settings, tstring(vantor::kStorageRoot)));
    sign_in_.SetSaveYield(services_.save_yield);
    guest_link_ = new QrCard(this, Qt::AlignBottom);
    guest_link_->setGeometry(vantor::DialogRectToPixels(kGuestLinkRect));
    controls_[kIdGuestLink] = guest_link_;
}

void CTravenorDlg::LayOut() {
    QSize screen = services_.screen_size;
    if (screen.isEmpty()) {
        QScreen* primary = QGuiApplication::primaryScreen();
        screen = primary ? primary->geometry().size() : QSize(1024, 768);
    }
    const QSize client = vantor::DesignedClientSize(CaptureDialogTemplate());
    const double factor_x = static_cast<double>(screen.width()) / client.width();
    const double factor_y = static_cast<double>(screen.height()) / client.height();
    const int preview_client_width =
        vantor::DesignedControlRect(*vantor::FindControlEntry(CaptureDialogTemplate(), kIdPreview)).width();
    preview_rect_ = QRect(0, 0, static_cast<int>(factor_x * preview_client_width), screen.height());
    sign_in_.SetPreviewRect(preview_rect_);
    setWindowFlag(Qt::FramelessWindowHint);
    setGeometry(QRect(QPoint(0, 0), screen));
    for (const auto& [id, control] : controls_) {
        if (id != kIdPreview) {
            ScaleControlRect(control, factor_x, factor_y);
        }
    }
    preview_->setGeometry(preview_rect_);
}

void CTravenorDlg::CreateOverlay() {
    overlay_ = new CChildDialog(this, this);
    overlay_->setGeometry(preview_rect_);
    overlay_->setCursor(ink_cursor_);
    overlay_->Initialise();
    overlay_->show();
    overlay_->raise();
    FillTemplateList();
    if (!templates_.empty()) {
        overlay_->ApplyTemplate(templates_.front().path);
    }
    template_list_->setVisible(TemplateListVisibleFlag());
}

void CTravenorDlg::PlaceAnimations() {
    // The idle animation takes the template list's place, beneath every control, so it shows
    // where the list is hidden and never covers the welcome text above the list.
    idle_animation_ = std::make_unique<CGifImage>(true);
    const QRect list = template_list_->geometry();
    if (idle_animation_->Load(kIdleAnimation) &&
        idle_animation_->Create(this, list.x(), list.y(), list.width(), list.height())) {
        idle_animation_->lower();
    } else {
        idle_animation_.reset();
    }
    save_animation_ = std::make_unique<CGifImage>(false);
    if (save_animation_->Load(kSaveAnimation) &&
        save_animation_->Create(this, 0, 0, preview_rect_.width(), preview_rect_.height())) {
        save_animation_->stackUnder(preview_);
        save_animation_->hide();
    } else {
        save_animation_.reset();
    }
}

// True when an animation plays over the preview; its end message brings the preview back. A
// missing, broken or still "Save.gif" has nothing to play: the preview comes back at once.
bool CTravenorDlg::StartSaveAnimation() {
    return save_animation_ && save_animation_->Play();
}

void CTravenorDlg::FillTemplateList() {
    const QSize screen = size();
    const int list_width = template_list_->contentsRect().width() -
                           template_list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 8;
    const QSize thumbnail = ThumbnailSize(screen.width(), screen.height(), std::max(list_width, 16));
    template_list_->setIconSize(thumbnail);
    for (const tstring& path : FindTemplatePaths(vantor::kTemplateFolder)) {
        // A frame that does not decode would black out the preview when its turn came while the
        // photo kept the frame before it: it is left out as if it were not there.
        const QImage picture = MakeThumbnail(path, thumbnail);
        if (picture.isNull()) {
            continue;
        }
        auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(picture)), ToQt(path));
        template_list_->insertItem(0, item);
        templates_.push_back({path, {}});
    }
}

void CTravenorDlg::SetFace(int id, const tstring& file) {
    auto* button = qobject_cast<CButtonST*>(Control(id));
    const tstring path = tstring(kFaceFolder) + file;
    if (button && FileExists(path)) {
        LoadButtonFace(faces_[id].Picture(), path, *button);
        face_files_[id] = file;
    }
}

tstring CTravenorDlg::FaceFile(int id) const {
    const auto found = face_files_.find(id);
    return found == face_files_.end() ? tstring() : found->second;
}

void CTravenorDlg::ApplyFaces() {
    SetFace(kIdPhotoSave, u"cap.jpg");
    SetFace(kIdDiscard, u"cancel.jpg");
    SetFace(kIdReturn, u"return.jpg");
    SetFace(kIdRewrite, u"rewrite.jpg");
    SetFace(kIdSeatSearch, u"search.jpg");
    SetFace(kIdShowHideFrame, u"ShowHide.jpg");
    SetFace(kIdPrint, u"print.jpg");
    SetFace(kIdRecord, u"record.jpg");
    SetFace(kIdHighlighter, u"maskpen.jpg");
    SetFace(kIdInkPen, u"pen.jpg");
}

void CTravenorDlg::SetPhotoButton(bool save) {
    if (auto* button = qobject_cast<CButtonST*>(Control(kIdPhotoSave))) {
        button->setText(save ? QStringLiteral("保存") : QStringLiteral("拍照"));
        SetFace(kIdPhotoSave, save ? u"save.jpg" : u"cap.jpg");
        button->update();
    }
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
            sign_in_.SetPenColour(picker_->Colour());
            break;
        case kIdHighlighter:
            UseHighlighter();
            break;
        case kIdInkPen:
            UseInkPen();
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
    // The save animation plays while the overlay is hidden although the frame is meant to show.
    const bool animating = overlay_->isHidden() && frame_shown_;
    const auto camera_frame = [this] {
        return camera_ && camera_->IsOpened() ? camera_->CopyFrame() : QImage();
    };
    // The overlay is still up: the still is the camera picture inside the frame, as the guest saw it.
    // A camera that is away leaves the frame alone; its notice is not part of the photo.
    const auto copy_preview = [this] {
        camera_notice_->hide();
        guest_link_->Dismiss();
        return CopyPreviewArea();
    };
    if (sign_in_.TakePhoto(animating, camera_frame, copy_preview) != SignIn::PhotoResult::Taken) {
        UpdateCameraNotice();
        return;
    }
    preview_->hide();
    overlay_->hide();
    SetPhotoButton(true);
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
            ShowRecordState();
            vantor::ShowMessageBox(kNotSavedMessage, u"tips", vantor::MessageButtons::Ok,
                                   vantor::MessageIcon::Warning);
            update();
            return;
        case SignIn::SaveResult::Saved:
        case SignIn::SaveResult::SavedWithoutVoice: {
            const int next = NextTemplateIndex(templates_, overlay_->CurrentTemplateName());
            if (next >= 0) {
                overlay_->ApplyTemplate(templates_[next].path);
            }
            const bool animating = StartSaveAnimation();
            if (animating) {
                preview_->hide();
            } else {
                ShowPreviewAndOverlay();
            }
            SetPhotoButton(false);
            ShowRecordState();
            wall_notice_.Tell();
            // After the animation has begun: the code never holds it up.
            if (const std::optional<std::string>& link = sign_in_.LastLink()) {
                guest_link_->SetContent(*link, {ToQt(GetLanStr(u"75"))});
                guest_link_->ShowFor(link_seconds_);
            }
            if (result == SignIn::SaveResult::SavedWithoutVoice) {
                update();
                vantor::ShowMessageBox(GetLanStr(u"58"), u"tips", vantor::MessageButtons::Ok,
                                       vantor::MessageIcon::Warning);
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
    ShowPreviewAndOverlay();
    SetPhotoButton(false);
    ShowRecordState();
    update();
}

void CTravenorDlg::Record() {
    switch (sign_in_.Record()) {
        case SignIn::RecordResult::NotCaptured:
            vantor::ShowMessageBox(GetLanStr(u"10"), u"tips", vantor::MessageButtons::Ok,
                                   vantor::MessageIcon::Warning);
            return;
        case SignIn::RecordResult::AlreadyRecording:
            vantor::ShowMessageBox(GetLanStr(u"11"), u"tips", vantor::MessageButtons::Ok,
                                   vantor::MessageIcon::Warning);
            return;
        case SignIn::RecordResult::Started:
        case SignIn::RecordResult::NoMicrophone:
            ShowRecordState();
            return;
    }
}

void CTravenorDlg::ShowRecordState() {
    SetFace(kIdRecord, sign_in_.IsRecording() ? u"recording.jpg" : u"record.jpg");
}

void CTravenorDlg::OnMicrophoneStopped() {
    ShowRecordState();
    vantor::ShowMessageBox(GetLanStr(u"57"), u"tips", vantor::MessageButtons::Ok,
                           vantor::MessageIcon::Warning);
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
    if (camera_) {
        camera_->Close();
    }
    done(QDialog::Accepted);
}

void CTravenorDlg::reject() {
    // Escape never closes the window; leaving is button 1003.
}

void CTravenorDlg::ToggleFrame() {
    if (sign_in_.IsCaptured()) {
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
    ShowPreviewAndOverlay();
}

void CTravenorDlg::ShowPreviewAndOverlay() {
    preview_->show();
    overlay_->show();
    overlay_->raise();
    guest_link_->raise();
    UpdateCameraNotice();
}

void CTravenorDlg::UseHighlighter() {
    picker_->SetColour(kHighlighterColour);
    slider_->setValue(15);
    sign_in_.SetPenWidth(15);
    sign_in_.SetPenColour(picker_->Colour());
    sign_in_.SetPenKind(kHighlighter);
    UpdatePenCursor(mapFromGlobal(QCursor::pos()));
}

void CTravenorDlg::UseInkPen() {
    sign_in_.SetPenKind(kInkPen);
    picker_->SetColour(0);
    slider_->setValue(3);
    sign_in_.SetPenWidth(3);
    sign_in_.SetPenColour(picker_->Colour());
    UpdatePenCursor(mapFromGlobal(QCursor::pos()));
}

void CTravenorDlg::ShowPictureHints() {
    tstring text;
    text.Format(GetLanStr(u"53").Data(), width(), height(), preview_->width(), preview_->height(),
                template_list_->width(), template_list_->height());
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
    return camera_ ? camera_->FrameSize() : QSize(640, 480);
}

void CTravenorDlg::SetCameraRect(const OpeningRect& rect) {
    template_applied_ = true;
    ShowCameraIn(QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)));
}

void CTravenorDlg::SetTemplateListVisible(bool visible) {
    template_list_->setVisible(visible);
}

void CTravenorDlg::RepaintOwner() {
    update();
}

// ---- keys ----

bool CTravenorDlg::SeatSearchVisible() const {
    return services_.seat_search_visible ? services_.seat_search_visible()
                                         : AnyVisibleWindowTitled(kSeatSearchTitle);
}

bool CTravenorDlg::HandleKey(int key) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return true;
        case Qt::Key_F9:
            RunCommand(kIdRecord);
            // Taken here: an ignored key climbs from the focused control to its parents, and this
            // filter would see it again on each of them and record again ("11").
            return true;
        case Qt::Key_Space:
        case Qt::Key_Backspace:
        case Qt::Key_R:
            if (SeatSearchVisible()) {
                return false;
            }
            if (key == Qt::Key_Space) {
                PhotoOrSave();
            } else if (key == Qt::Key_Backspace) {
                Rewrite();
            } else {
                overlay_->OpenMenu(QPoint(200, 200));
            }
            return true;
        default:
            return false;
    }
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
