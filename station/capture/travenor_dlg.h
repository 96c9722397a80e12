#pragma once
// CTravenorDlg: the capture window where a guest signs in. The preview on the left shows the live
// camera picture inside the template's opening; the guest takes the photo, writes over the still,
// and saves: the composed picture and the plain photo go into today's storage folders and the
// next template comes up.
#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <functional>
#include <map>
#include <memory>
#include <vector>
#include "capture/capture_camera.h"
#include "capture/stroke_segment.h"
#include "overlay/child_dialog.h"
#include "overlay/overlay_owner.h"
#include "platform/local_clock.h"

class CAlphaPen;
class CButtonST;
class CLabel;
class CMySliderControl;
class ColourPickerButton;
class QListWidget;
class QListWidgetItem;

// What the capture window is given from outside; every member has a working default.
struct CaptureWindowServices {
    const vantor::Clock* clock = nullptr;                         // the system clock when null
    std::function<std::unique_ptr<CaptureCamera>()> make_camera;  // the station camera when empty
    std::function<void()> show_seat_search;                       // button 1005
    std::function<bool()> seat_search_visible;                    // a visible window titled "引位"
    std::function<bool(QWidget* over)> start_save_animation;      // true when it started
    QSize screen_size;                                            // the screen's when empty
};

class CTravenorDlg : public QDialog, private OverlayOwner {
    Q_OBJECT
  public:
    static constexpr const char16_t* kFaceFolder = u"images\\wedding\\CapWindow\\";
    static constexpr const char16_t* kPanelPicture = u"images\\wedding\\CapWindow\\back.jpg";
    static constexpr const char16_t* kInkCursor = u"res\\133.png";
    static constexpr const char16_t* kHighlighterCursor = u"res\\135.png";
    static constexpr std::uint32_t kHighlighterColour = 0x16E9E9;
    static constexpr int kSaveAnimationEnded = 0x46F;

    explicit CTravenorDlg(QWidget* parent = nullptr, CaptureWindowServices services = {});
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
    // The save animation's end (message 0x46F).
    void OnSaveAnimationEnded();

    // The process-wide count of sign-ins.
    static int GuestCounter();
    static void SetGuestCounter(int count);

    bool IsCaptured() const { return captured_; }
    bool IsFrameShown() const { return frame_shown_; }
    bool InsertTimeOn() const override { return insert_time_; }
    int PenKind() const { return pen_kind_; }
    std::uint32_t PenColour() const { return pen_colour_; }
    int PenWidth() const { return pen_width_; }
    const std::vector<StrokeSegment>& Strokes() const { return strokes_; }
    const std::vector<TemplateEntry>& Templates() const { return templates_; }
    const tstring& LastSavedPicture() const { return last_saved_picture_; }
    QRect PreviewRect() const { return preview_rect_; }
    const QImage& Still() const { return still_; }
    CChildDialog* Overlay() const { return overlay_; }
    QWidget* Preview() const { return preview_; }
    CaptureCamera* Camera() const { return camera_.get(); }
    QWidget* Control(int id) const;
    QListWidget* TemplateList() const { return template_list_; }

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
    void LayOut();
    void CreateOverlay();
    void FillTemplateList();
    void ApplyFaces();
    void SetFace(int id, const tstring& file);
    void SetPhotoButton(bool save);
    bool HandleKey(int key);
    void ShowPictureHints();
    void UseHighlighter();
    void UseInkPen();
    void OnTemplateClicked(QListWidgetItem* item);
    void UpdatePenCursor(QPoint at);
    void DrawLiveSegment(const StrokeSegment& segment);
    void EnsureInkCache();
    void InvalidateInk();
    void ShowPreviewAndOverlay();
    QImage CopyPreviewArea();
    bool SeatSearchVisible() const;
    const vantor::Clock& Clock() const;
    int PanelFontPixels() const;

    CaptureWindowServices services_;
    std::unique_ptr<CaptureCamera> camera_;
    QWidget* preview_ = nullptr;  // owned by this window
    CChildDialog* overlay_ = nullptr;
    std::map<int, QWidget*> controls_;
    std::map<int, QPixmap> faces_;
    CMySliderControl* slider_ = nullptr;
    ColourPickerButton* picker_ = nullptr;
    QListWidget* template_list_ = nullptr;
    CLabel* welcome_ = nullptr;
    QImage panel_picture_;
    QCursor ink_cursor_;
    QCursor highlighter_cursor_;

    bool captured_ = false;
    bool drawing_ = false;
    QPoint last_point_;
    std::vector<StrokeSegment> strokes_;
    int pen_kind_ = kInkPen;
    std::uint32_t pen_colour_ = 0;
    int pen_width_ = 3;
    bool insert_time_ = true;
    bool frame_shown_ = true;
    bool template_applied_ = false;
    vantor::LocalDateTime last_action_time_;
    tstring last_saved_picture_;
    QImage still_;
    QImage composed_;
    QRect preview_rect_;
    std::vector<TemplateEntry> templates_;

    QImage ink_cache_;  // the still with the strokes drawn so far; rebuilt by replay when invalid
    bool ink_cache_valid_ = false;
    std::unique_ptr<CAlphaPen> live_pen_;  // draws onto ink_cache_
};

// Opens the capture window modally over the main menu and destroys it when it closes.
void OpenCaptureWindow(QWidget& menu);
