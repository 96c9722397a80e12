#pragma once
// What the main window's mouse buttons do on the wall: a press selects or deselects a tile (through
// the camera animator), plays the selected picture's voice message, or starts the video of a video
// thumbnail; a release ends the drag. The window calls these on its own thread; video playback and
// the engine window belong to the window and are reached through WallVideo.
//
// Picture files are found through the wall manager's folder and voice files through the shown
// folder, so a click never needs to move the process working directory.
#include <QPoint>
#include <cstdint>
#include <functional>
#include "engine/lock_ref.h"
#include "text/tstring.h"

namespace irr::scene {
class CameraAnimator;
}
namespace halvix {

// The window's video side, as the mouse handlers need it.
class WallVideo {
  public:
    virtual ~WallVideo() = default;
    virtual bool IsShown() const = 0;  // a video is shown
    virtual bool VideoRectContains(QPoint window_point) const = 0;
    virtual bool IsStopping() const = 0;  // a stop is running right now
    virtual void Stop() = 0;              // stop playback, hide the video
    virtual void ShowEngineWindow() = 0;
    virtual bool IsThumbnail(const tstring& upper_path) const = 0;  // the thumbnail list holds it
    virtual void Start(const tstring& video_path) = 0;
};

struct WallMouseSetup {
    irr::scene::CameraAnimator* animator = nullptr;
    LockRef lock;                                    // wallLock
    WallVideo* video = nullptr;                      // may be null: no videos
    std::function<tstring()> current_folder;         // the folder shown (logic path)
    std::function<std::int64_t()> clock_ms;          // processor-clock milliseconds
    std::function<void(const tstring&)> play_sound;  // asynchronous, stops the previous sound
    std::function<int()> screen_width;
};

class WallMouse {
  public:
    // Waits that keep a click from leaving a video too early.
    static constexpr std::int64_t kLeaveVideoByClick_ms = 2000;
    static constexpr std::int64_t kLeaveVideoByCommand_ms = 4000;
    // A press forwarded at this y lies above every tile: it deselects.
    static constexpr int kOffWallY = -2000;

    explicit WallMouse(WallMouseSetup setup);

    void LeftDown(QPoint window_point);
    void LeftUp();
    // Back to the wall view (toolbar "返回" and the start of each folder load).
    void ReturnToWall();
    // Plays the selected tile's voice message, if it has one.
    void PlaySelectedVoice();

    std::int64_t LastClickTicks() const { return last_click_ms_; }
    void SetLastClickTicks(std::int64_t ticks_ms) { last_click_ms_ = ticks_ms; }

  private:
    void ForwardPress(int x, int y);

    WallMouseSetup setup_;
    std::int64_t last_click_ms_ = 0;
};

}  // namespace halvix
