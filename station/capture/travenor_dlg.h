#pragma once
// CTravenorDlg: the capture window where a guest signs in. The preview on the left shows the live
// camera picture inside the template's opening; the guest takes the photo, writes over the still,
// and saves: the composed picture and the plain photo go into today's storage folders and the
// next template comes up. The sign-in itself (the photo, the handwriting and the save) is a
// SignIn; where the window stands (live, photo, recording, save animation) is its CaptureFlow,
// which it asks before it acts. The window holds the views: the panel's controls, the live
// picture, the template frame and the animations. Beside it: what an id runs (CaptureCommands),
// what a key does (CaptureKeyFilter), the pen (CapturePens), writing with the mouse
// (HandwritingInput), what it paints itself (CaptureBackdrop) and the guest's QR code
// (GuestLinkCard).
#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
#include "launcher/wall_notice.h"
#include "capture/capture_animations.h"
#include "capture/capture_backdrop.h"
#include "capture/capture_camera.h"
#include "capture/capture_commands.h"
#include "capture/capture_keys.h"
#include "capture/capture_panel.h"
#include "capture/capture_pens.h"
#include "capture/capture_services.h"
#include "capture/capture_state.h"
#include "capture/guest_counter.h"
#include "capture/guest_link_card.h"
#include "capture/handwriting_input.h"
#include "capture/sign_in.h"
#include "capture/stroke_segment.h"
#include "capture/live_picture.h"
#include "overlay/child_dialog.h"
#include "overlay/overlay_owner.h"
#include "picture/gif_image.h"
#include "print/print_flow.h"
#include "platform/local_clock.h"

class CameraNotice;
class QListWidget;
class QrCard;
class QListWidgetItem;

class CTravenorDlg : public QDialog, private OverlayOwner {
    Q_OBJECT
  public:
    static constexpr std::uint32_t kHighlighterColour = 0x16E9E9;
    static constexpr int kSaveAnimationEnded = 0x46F;

    // `counter` is the station's count of guests; it outlives the window. What `services` leaves
    // empty is the station's own.
    explicit CTravenorDlg(GuestCounter& counter, QWidget* parent = nullptr,
                          CaptureWindowServices services = {});
    ~CTravenorDlg() override;
    CTravenorDlg(const CTravenorDlg&) = delete;
    CTravenorDlg& operator=(const CTravenorDlg&) = delete;

    // The commands of the window, by control or menu id.
    void RunCommand(int id) { commands_.Run(id); }
    void PhotoOrSave() override;
    void TakePhoto();
    void Save();
    void Discard();
    void Rewrite();
    void Leave();
    void ToggleFrame();
    // The voice message (1016, F9).
    void Record();
    // The save animation's end (message 0x46F).
    void OnSaveAnimationEnded();

    PrintFlow& Printing() { return print_flow_; }
    const SignIn& Session() const { return sign_in_; }
    SignIn& Session() { return sign_in_; }
    bool IsCaptured() const { return sign_in_.IsCaptured(); }
    CaptureState State() const { return flow_.State(); }
    bool IsFrameShown() const { return frame_shown_; }
    bool InsertTimeOn() const override { return sign_in_.InsertTimeOn(); }
    int PenKind() const { return sign_in_.PenKind(); }
    std::uint32_t PenColour() const { return sign_in_.PenColour(); }
    int PenWidth() const { return sign_in_.PenWidth(); }
    const std::vector<StrokeSegment>& Strokes() const { return sign_in_.Strokes(); }
    const std::vector<TemplateEntry>& Templates() const { return templates_; }
    const tstring& LastSavedPicture() const { return sign_in_.LastSavedPicture(); }
    QRect PreviewRect() const { return preview_rect_; }
    const QImage& Still() const { return sign_in_.Still(); }
    CChildDialog* Overlay() const { return overlay_; }
    QWidget* Preview() const { return preview_; }
    CaptureCamera* Camera() const { return live_->Camera(); }
    // The camera dropped out and is not back yet; its notice shows over the live picture then,
    // except while a photo is on screen (the guest can still write and save) or the save
    // animation plays.
    bool IsCameraLost() const { return live_->IsLost(); }
    CameraNotice* CameraLostNotice() const { return live_->Notice(); }
    QWidget* Control(int id) const { return panel_->Control(id); }
    // The face file a picture button shows now ("record.jpg"), empty when it has none.
    tstring FaceFile(int id) const { return panel_->FaceFile(id); }
    QListWidget* TemplateList() const { return &panel_->TemplateList(); }
    CGifImage* IdleAnimation() const { return animations_->Idle(); }
    CGifImage* SaveAnimation() const { return animations_->Save(); }
    // The QR code of the last guest's own page, shown after the save until the next photo.
    QrCard* GuestLink() const { return &guest_link_->Card(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    // Escape never closes the window; leaving is button 1003.
    void reject() override {}

  private:
    // OverlayOwner
    void OverlayCommand(int command) override { RunCommand(command); }
    TemplateEntry* FindTemplateEntry(const tstring& path) override;
    QSize CameraSize() const override { return live_->FrameSize(); }
    void SetCameraRect(const OpeningRect& rect) override;
    void SetTemplateListVisible(bool visible) override;
    void RepaintOwner() override { update(); }

    void BindCommands();
    void LayOut();
    void CreateOverlay();
    // The record button's face follows the state: "recording.jpg" exactly while recording.
    void ShowRecordState();
    // The microphone stopped by itself: the face goes back and the guest is told.
    void OnMicrophoneStopped();
    void OnKey(CaptureKeyAction action);
    void ShowPictureHints();
    void OnTemplateClicked(QListWidgetItem* item);
    void ShowPreviewAndOverlay();
    // Where the live picture shows, in window coordinates; the camera draws there.
    void ShowCameraIn(const QRect& area);
    void UpdateCameraNotice();
    QImage CopyPreviewArea();

    CaptureWindowServices services_;
    GuestCounter& counter_;
    SignIn sign_in_;
    CaptureFlow flow_;
    PrintFlow print_flow_;  // the printer chosen at the first print stays for the window's life
    CaptureCommands commands_;
    // The camera and its preview, made first; a member, so the camera ends before the children go.
    std::optional<LivePicture> live_;
    QWidget* preview_ = nullptr;  // the live picture's, owned by this window
    CChildDialog* overlay_ = nullptr;
    std::optional<CapturePanel> panel_;  // made once the preview is there
    std::optional<CapturePens> pens_;
    CaptureBackdrop backdrop_;
    std::optional<HandwritingInput> handwriting_;  // made once the preview has its place
    std::optional<CaptureAnimations> animations_;
    std::optional<GuestLinkCard> guest_link_;
    vantor::WallNotice wall_notice_;  // tells a running wall of each saved sign-in

    bool frame_shown_ = true;
    bool template_applied_ = false;
    QRect preview_rect_;
    std::vector<TemplateEntry> templates_;
    std::optional<CaptureKeyFilter> keys_;  // last: it goes first, before the window's parts
};

// Opens the capture window modally over the main menu and destroys it when it closes. It blocks
// the menu only: the seat search that `showSeatSearch` brings up over it takes the guest's input.
void OpenCaptureWindow(QWidget& menu, GuestCounter& counter, std::function<void()> showSeatSearch,
                       SaveYield* save_yield);
