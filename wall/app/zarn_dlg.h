#pragma once
// CmfcZarnDlg: the wall's main window. A borderless window over the screen above the taskbar,
// covered by the engine window (control 2000) into which the render thread draws; the toolbar
// sits at its bottom right. Other programs drive it through its endpoint "Lumarin": folder paths
// and mode words as copy data, commands as command messages.
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <optional>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include "live/live_settings.h"
#include "scene/load_queue.h"
#include "scene/picture_link.h"
#include "app/render_thread.h"
#include "app/wall_lock.h"
#include "scene/wall_plan.h"
#include "text/tstring.h"

namespace vantor {
class ProgramMessageServer;
struct ProgramMessage;
}  // namespace vantor

namespace halvix {

class CMovieControl;
class CPrivateMenu;
class EngineWidget;
class LiveWall;
class VideoPanel;
class WallMouse;
class WallBuild;
class WallSceneHost;

inline constexpr char16_t kWallTitle[] = u"Lumarin";
inline constexpr char16_t kHideDlgTitle[] = u"HideDlg";
inline constexpr std::uint32_t kHideDlgMessage = 1802;
inline constexpr char16_t kNo3DSupportText[] = u"未检测到3D支持,请检查显卡驱动等信息!";
inline constexpr char16_t kNoEndpointText[] =
    u"相册墙无法建立接收命令的通信端点,签到程序将无法控制相册墙。请检查用户主目录是否可写。";
inline constexpr int kSlideshowPeriod_ms = 5000;
inline constexpr std::int64_t kRefreshInterval_ms = 30000;
// Prepared pictures that may wait for the render thread during a load (about 0.35 MB each): enough
// to keep the decoders busy while a frame is drawn (a software renderer takes about 50 ms for it),
// few enough that a load's peak stays well under twice its textures.
inline constexpr std::size_t kWaitingTiles = 64;

// Commands of the main window (the toolbar's ids and the ones other programs send).
enum WallCommandId : int {
    kCommandOk = 1,
    kCommandCancel = 2,
    kCommandNext = 2001,
    kCommandBack = 2002,
    kCommandDeleteSelected = 2003,
    kCommandHide = 2004,
    kCommandRefresh = 2005,
    kCommandPlayPause = 2011,
};

// What the window needs from the machine; the defaults are the real ones.
struct WallServices {
    std::function<bool()> openGLAvailable;            // the 3D support test
    std::function<std::int64_t()> processorClock_ms;  // clicks on videos
    std::function<std::int64_t()> tickCount_ms;       // the refresh rule
    std::function<void(const tstring&)> playSound;    // voice messages
    FramePacing pacing;
    QRect workArea;                         // empty: the primary screen's available geometry
    int screenWidth = 0;                    // 0: the primary screen's width
    TilePreparer prepareTile;               // empty: each picture's own wall image
    GallerySettingsSource gallerySettings;  // empty: "Bin\config.ini" (personal links' QR codes)
    std::optional<LiveSettings> live;       // empty: "Bin\config.ini" [wall]
    std::chrono::milliseconds liveSettle{1500};
};

class CmfcZarnDlg : public QWidget {
  public:
    explicit CmfcZarnDlg(WallServices services = {}, QWidget* parent = nullptr);
    ~CmfcZarnDlg() override;
    CmfcZarnDlg(const CmfcZarnDlg&) = delete;
    CmfcZarnDlg& operator=(const CmfcZarnDlg&) = delete;

    // The start-up of the window: 3D check, placement, device, scene, title and endpoint,
    // toolbar, render thread. False when it stopped early (the window then has no wall).
    bool Initialise();
    bool WallRunning() const;

    // Commands and messages.
    void OnCommand(int id);
    std::int64_t OnProgramMessage(const vantor::ProgramMessage& message);
    void FolderCommand(const tstring& path);
    void Refresh();
    void DeleteSelected();
    void SlideshowStep();
    void StartSlideshow();
    void StopSlideshow();

    // State, for the toolbar and for tests.
    tstring CurrentFolder() const;
    bool SlideshowRunning() const { return slideshow_timer_.isActive(); }
    bool LoadsPending() const { return loads_.Busy(); }
    void WaitForLoads() { loads_.WaitIdle(); }
    CPrivateMenu* Toolbar() const { return toolbar_; }
    RenderThread& Renderer() { return render_; }
    WallSceneHost* SceneHost() const { return host_.get(); }
    WallLock& Lock() { return wall_lock_; }
    VideoPanel* Video() const { return video_.get(); }
    CMovieControl* Movies() const { return movies_.get(); }
    int RebuildCount() const { return rebuilds_; }
    LiveWall* Live() const { return live_.get(); }
    // The next drawn frame from the back buffer; empty when none comes in time.
    QImage CaptureFrame(int timeout_ms = 5000);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void OnToolbar(int id);
    // `command`: the number of folder commands when the request was made; a later command for
    // another folder supersedes it.
    void LoadFolder(const tstring& path, bool skipIfUnchanged, std::uint64_t command);
    void RebuildShown(const tstring& folder, std::uint64_t command);
    bool ShowBuild(const tstring& folder, bool newFolder, std::uint64_t command);
    bool Superseded(const tstring& folder, std::uint64_t command) const;
    bool SupersededLocked(const tstring& folder, std::uint64_t command) const;
    std::uint64_t FolderCommands() const;
    void GiveBackMemory();
    void SetCurrentFolder(const tstring& folder);
    void NotifyHideDlg();
    void PlaceToolbar();
    void SetEngineVisible(bool visible);
    void LeaveVideo();
    void RaiseToolbar();
    void ShutDown();
    tstring WorkingFolder() const;

    WallServices services_;
    QRect work_area_;
    int screen_width_ = 0;
    tstring start_folder_;  // the working folder at start-up: relative commands resolve against it

    WallLock wall_lock_;
    RenderThread render_;
    std::unique_ptr<WallSceneHost> host_;
    std::unique_ptr<LiveWall> live_;  // none when the settings keep the wall still
    std::unique_ptr<WallMouse> mouse_;
    std::unique_ptr<CMovieControl> movies_;  // the thumbnails; loader threads scan, clicks look up
    std::unique_ptr<VideoPanel> video_;      // its controls are children of this window
    LoadQueue loads_;                        // folder loads, refreshes and the rebuild of a delete

    EngineWidget* engine_ = nullptr;                  // child
    CPrivateMenu* toolbar_ = nullptr;                 // owned window
    QImage backdrop_;                                 // "images\Wall\background.jpg" behind a video
    vantor::ProgramMessageServer* server_ = nullptr;  // child
    QTimer slideshow_timer_;                          // timer 3

    // guards current_folder_, folder_commands_, newest_folder_, loading_, loading_folder_ and the
    // loader's reads of shut_down_
    mutable std::mutex folder_mutex_;
    tstring current_folder_;
    std::uint64_t folder_commands_ = 0;   // folder commands received
    tstring newest_folder_;               // the folder of the last one
    std::shared_ptr<WallBuild> loading_;  // the build the loader waits for
    tstring loading_folder_;              // its folder

    std::int64_t last_refresh_ms_ = 0;
    std::atomic<int> rebuilds_{0};
    bool shut_down_ = false;
};

}  // namespace halvix
