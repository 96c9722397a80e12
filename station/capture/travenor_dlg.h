#pragma once
// CTravenorDlg: the capture window where a guest signs in. The preview on the left shows the live
// camera picture inside the template's opening; the guest takes the photo, writes over the still,
// and saves: the composed picture and the plain photo go into today's storage folders and the
// next template comes up. The sign-in itself (its state, the handwriting and the save) is a
// SignIn; the window holds the controls, the camera's preview and the template frame.
#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>
#include "launcher/wall_notice.h"
#include "capture/capture_camera.h"
#include "capture/guest_counter.h"
#include "capture/sign_in.h"
#include "capture/stroke_segment.h"
#include "overlay/child_dialog.h"
#include "overlay/overlay_owner.h"
#include "picture/bitmap_ex.h"
#include "picture/gif_image.h"
#include "print/print_flow.h"
#include "settings/gallery_settings.h"
#include "platform/local_clock.h"

class CButtonST;
class CameraNotice;
class CLabel;
class CMySliderControl;
class ColourPickerButton;
class QListWidget;
class QrCard;
class QListWidgetItem;

// What the capture window is given from outside; every member has a working default.
struct CaptureWindowServices {
    const vantor::Clock* clock = nullptr;                         // the system clock when null
    std::function<std::unique_ptr<CaptureCamera>()> make_camera;  // the station camera when empty
    std::function<void()> show_seat_search;                       // button 1005
    std::function<bool()> seat_search_visible;                    // a visible window titled "引位"
    SignIn::SoundCue play_sound;                                  // plays a sound file when present
    travenor::CWaveRecorder::MicrophoneFactory open_microphone;   // the machine's microphone when empty
    CAutoSizePrinter::Services printer;                           // the print set-up dialog and screen
    QSize screen_size;                                            // the screen's when empty
    // The [gallery] settings; read from "Bin\config.ini" when empty.
    std::optional<vantor::settings::GallerySettings> gallery;
    SaveYield* save_yield = nullptr;  // held while a sign-in is saved; nothing when null
};

class CTravenorDlg : public QDialog, private OverlayOwner {
    Q_OBJECT
  public:
    static constexpr const char16_t* kFaceFolder = u"images\\wedding\\CapWindow\\";
    static constexpr const char16_t* kPanelPicture = u"images\\wedding\\CapWindow\\back.jpg";
    static constexpr const char16_t* kInkCursor = u"res\\133.png";
    static constexpr const char16_t* kHighlighterCursor = u"res\\135.png";
    static constexpr const char16_t* kIdleAnimation = u"images\\wedding\\Gif\\Normal.gif";
    static constexpr const char16_t* kSaveAnimation = u"images\\wedding\\Gif\\Save.gif";
    static constexpr std::uint32_t kHighlighterColour = 0x16E9E9;
    static constexpr int kSaveAnimationEnded = 0x46F;

    // `counter` is the station's count of guests; it outlives the window.
    explicit CTravenorDlg(GuestCounter& counter, QWidget* parent = nullptr,
                          CaptureWindowServices services = {});
    ~CTravenorDlg() override;
    CTravenorDlg(const CTravenorDlg&) = delete;
    CTravenorDlg& operator=(const CTravenorDlg&) = delete;

    // The commands of the window, by control or menu id.
    void RunCommand(int id);
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
    CaptureCamera* Camera() const { return camera_.get(); }
    // The camera dropped out and is not back yet; its notice shows over the live picture then,
    // except while a photo is on screen (the guest can still write and save) or the save
    // animation plays.
    bool IsCameraLost() const { return camera_lost_; }
    CameraNotice* CameraLostNotice() const { return camera_notice_; }
    QWidget* Control(int id) const;
    // The face file a picture button shows now ("record.jpg"), empty when it has none.
    tstring FaceFile(int id) const;
    QListWidget* TemplateList() const { return template_list_; }
    CGifImage* IdleAnimation() const { return idle_animation_.get(); }
    CGifImage* SaveAnimation() const { return save_animation_.get(); }
    // The QR code of the last guest's own page, shown after the save until the next photo.
    QrCard* GuestLink() const { return guest_link_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void reject() override;

  private:
    // OverlayOwner
    void OverlayCommand(int command) override;
    TemplateEntry* FindTemplateEntry(const tstring& path) override;
    QSize CameraSize() const override;
    void SetCameraRect(const OpeningRect& rect) override;
    void SetTemplateListVisible(bool visible) override;
    void RepaintOwner() override;

    void CreateControls();
    void CreateGuestLink();
    void LayOut();
    void CreateOverlay();
    void PlaceAnimations();
    bool StartSaveAnimation();
    void FillTemplateList();
    void ApplyFaces();
    void SetFace(int id, const tstring& file);
    void SetPhotoButton(bool save);
    // The record button's face follows the recorder: "recording.jpg" exactly while it records.
    void ShowRecordState();
    // The microphone stopped by itself: the face goes back and the guest is told.
    void OnMicrophoneStopped();
    bool HandleKey(int key);
    void ShowPictureHints();
    void UseHighlighter();
    void UseInkPen();
    void OnTemplateClicked(QListWidgetItem* item);
    void UpdatePenCursor(QPoint at);
    void ShowPreviewAndOverlay();
    void OnCameraOpened(bool opened);
    void OnCameraDropOut(bool lost);
    // Where the live picture shows, in window coordinates; the camera draws there.
    void ShowCameraIn(const QRect& area);
    void UpdateCameraNotice();
    QRect LivePictureArea() const;
    QImage CopyPreviewArea();
    bool SeatSearchVisible() const;
    const vantor::Clock& Clock() const;
    int PanelFontPixels() const;

    CaptureWindowServices services_;
    GuestCounter& counter_;
    SignIn sign_in_;
    PrintFlow print_flow_;  // the printer chosen at the first print stays for the window's life
    std::unique_ptr<CaptureCamera> camera_;
    QWidget* preview_ = nullptr;  // owned by this window
    CChildDialog* overlay_ = nullptr;
    std::map<int, QWidget*> controls_;
    std::map<int, CBitmapEx> faces_;  // the button faces, by control id
    std::map<int, tstring> face_files_;
    CMySliderControl* slider_ = nullptr;
    ColourPickerButton* picker_ = nullptr;
    QListWidget* template_list_ = nullptr;
    CLabel* welcome_ = nullptr;
    QImage panel_picture_;
    QCursor ink_cursor_;
    QCursor highlighter_cursor_;
    // Children of this window; released here before the window's own children go.
    std::unique_ptr<CGifImage> idle_animation_;  // "Normal.gif", looping, beneath the template list
    std::unique_ptr<CGifImage> save_animation_;  // "Save.gif", once after each save, beneath the preview

    CameraNotice* camera_notice_ = nullptr;  // owned by this window
    QrCard* guest_link_ = nullptr;           // owned by this window
    vantor::WallNotice wall_notice_;         // tells a running wall of each saved sign-in
    std::chrono::seconds link_seconds_{0};

    bool frame_shown_ = true;
    bool template_applied_ = false;
    bool camera_lost_ = false;
    QRect camera_area_;  // where the live picture shows (the opening, or the whole preview)
    QRect preview_rect_;
    std::vector<TemplateEntry> templates_;
};

// Opens the capture window modally over the main menu and destroys it when it closes. It blocks
// the menu only: the seat search that `showSeatSearch` brings up over it takes the guest's input.
void OpenCaptureWindow(QWidget& menu, GuestCounter& counter, std::function<void()> showSeatSearch,
                       SaveYield* save_yield);
