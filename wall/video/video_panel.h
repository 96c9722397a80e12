#pragma once
// The video over the wall: the video window (control 2009) laid over the settled selected tile,
// the position and volume sliders (2010, 2012), the play/pause button (2011) and the label (2013)
// under it, timer 1, and the video-stop thread. Playback goes through the video library; every
// vp call but vpQuit is made on the window thread, and none while a stop is in progress.
#include <QObject>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include "animation/wall_mouse.h"
#include "video_surface.h"

class CButtonST;
class CMySliderControl;
class QLabel;

namespace halvix {

class CMovieControl;

struct VideoPanelSetup {
    QWidget* window = nullptr;              // the main window: parent, receives the library's messages
    const CMovieControl* movies = nullptr;  // the thumbnail list
    std::function<bool(int x, int y)> on_settled_tile;  // the point lies on the settled selected tile
    std::function<void(bool)> set_engine_visible;       // shows or hides the engine window
};

enum class PlayButtonState { Playing = 0, Paused = 1, Stopped = 2 };

class VideoPanel : public QObject, public WallVideo {
  public:
    static constexpr int kPositionTimer_ms = 500;
    static constexpr int kVolumeMinimum = -1000;

    explicit VideoPanel(VideoPanelSetup setup);
    ~VideoPanel() override;  // waits for a stop in progress and lets a shown video go
    VideoPanel(const VideoPanel&) = delete;
    VideoPanel& operator=(const VideoPanel&) = delete;

    // WallVideo
    bool IsShown() const override { return shown_; }
    bool VideoRectContains(QPoint window_point) const override;
    bool IsStopping() const override { return stopping_; }
    void Stop() override;
    void ShowEngineWindow() override;
    bool IsThumbnail(const tstring& upper_path) const override;
    void Start(const tstring& video_path) override;

    // A message of the main window: the library's notification and end of media are answered,
    // and every message is handed over to the library.
    void OnWindowMessage(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam);
    void TogglePlayPause();  // command 2011

    // Waits until a stop in progress has ended (the window's end, tests).
    void WaitForStop();

    QRect VideoRect() const { return video_rect_; }
    PlayButtonState ButtonState() const { return button_state_; }
    QWidget* VideoWindow() const { return video_window_; }
    CMySliderControl* PositionSlider() const { return position_; }
    CMySliderControl* VolumeSlider() const { return volume_; }
    CButtonST* PlayPauseButton() const { return play_pause_; }

  private:
    void SetButtonState(PlayButtonState state);
    void OnPositionTimer();
    void ApplySlider(CMySliderControl* slider, void (*apply)(std::int32_t));
    void FinishStop(std::uint64_t generation);
    void HideControls();

    VideoPanelSetup setup_;
    zorvane::VideoSurface* video_window_ = nullptr;  // children of the main window
    CMySliderControl* position_ = nullptr;
    CMySliderControl* volume_ = nullptr;
    CButtonST* play_pause_ = nullptr;
    QLabel* label_ = nullptr;
    QTimer position_timer_;  // timer 1

    QRect video_rect_;
    bool shown_ = false;
    PlayButtonState button_state_ = PlayButtonState::Paused;
    std::uint64_t generation_ = 0;       // one per video started
    std::atomic<bool> stopping_{false};  // a stop thread is between its start and the end of vpQuit
    std::thread stop_thread_;
};

}  // namespace halvix
