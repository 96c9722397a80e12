#pragma once
// The wall's render thread. It creates the engine device on the engine window, makes every
// Irrlicht and OpenGL call of the program, and draws until it is asked to end. Other threads hand
// it work with Run(): the work runs at the start of the next frame and Run() returns when it is
// done. A frame of the wall is drawn under wallLock; the pause screen, shown while no folder is
// shown, without it.
//
// When the device reports that it is finished (its window went away) the thread stops drawing and
// refuses work, but keeps the scene until Stop: the window's other threads may still hold
// pointers into it, and Stop comes only after they are done.
#include <QImage>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include "app/wall_lock.h"

namespace irr {
class IrrlichtDevice;
}

namespace halvix {

struct FramePacing {
    int wall_frame_ms = 33;    // a steady 30 frames per second
    int pause_frame_ms = 100;  // the pause screen changes ten times a second
    int hidden_poll_ms = 30;   // while the engine window is hidden
};

class RenderThread {
  public:
    // All three run on the render thread. Setup gets the new device and makes the scene (false
    // ends the thread); Draw draws one frame between beginScene and endScene, told whether the
    // pause screen or the wall is due; Teardown releases the scene before the device goes.
    struct Scene {
        std::function<bool(irr::IrrlichtDevice*)> setup;
        std::function<void(bool pauseScreen, std::uint64_t frame)> draw;
        std::function<void()> teardown;
        std::function<bool()> showsWall;  // false: the pause screen is due
        // Before each frame, after the handed-over work, with the period of the frame about to be
        // drawn, of which it may take a share.
        std::function<void(std::chrono::milliseconds period)> prepare;
        // Once, when the loop stops drawing (asked to end, or the device finished): work in
        // progress for later frames is abandoned.
        std::function<void()> finish;
    };

    RenderThread(WallLock& wallLock, FramePacing pacing = {});
    ~RenderThread();
    RenderThread(const RenderThread&) = delete;
    RenderThread& operator=(const RenderThread&) = delete;
    RenderThread(RenderThread&&) = delete;
    RenderThread& operator=(RenderThread&&) = delete;

    // Starts the thread, which creates an OpenGL device on the native window and runs setup.
    // Returns once that is done: false when the device or the scene could not be made (the
    // thread has ended then).
    bool Start(std::uintptr_t nativeWindow, int width, int height, Scene scene);
    // Asks the loop to end, then joins it. The scene and the device are released on the thread.
    void Stop();
    bool Running() const { return running_; }

    // Runs work on the render thread before the next frame and waits for it. On the render thread
    // itself it runs at once. False when the thread does not run (the work was not done). Never
    // call it while holding wallLock: the work may need the lock.
    bool Run(std::function<void()> work);

    // Asks for a frame now rather than at its time (a build has everything ready to show).
    void Wake();

    // The engine window's visibility; while hidden the loop only polls.
    void SetEngineVisible(bool visible) { engine_visible_ = visible; }

    // The next drawn frame, read from the back buffer before it is shown. Empty image when the
    // thread ends first.
    std::future<QImage> CaptureNextFrame();
    std::uint64_t FramesDrawn() const { return frames_drawn_; }
    bool OnRenderThread() const { return std::this_thread::get_id() == thread_id_; }

  private:
    void Loop(std::uintptr_t nativeWindow, int width, int height, std::promise<bool> started);
    void DrawUntilFinished();
    bool RunPendingWork();  // true when some work ran
    bool PauseScreenDue() const;
    bool WaitFor(int delay_ms);  // false when asked to end meanwhile
    void DrawFrame(bool pauseScreen);
    void FailPending();

    WallLock& wall_lock_;
    FramePacing pacing_;
    Scene scene_;
    irr::IrrlichtDevice* device_ = nullptr;  // render thread only
    std::thread thread_;
    std::atomic<std::thread::id> thread_id_{};
    std::atomic<bool> running_{false};
    std::atomic<bool> engine_visible_{true};
    std::atomic<std::uint64_t> frames_drawn_{0};

    struct Work {
        std::function<void()> work;
        std::promise<bool> done;
    };
    std::mutex queue_mutex_;  // guards stop_, woken_, queue_ and captures_
    std::condition_variable wake_;
    bool stop_ = false;
    bool woken_ = false;  // a frame is asked for now
    std::deque<Work> queue_;
    std::deque<std::promise<QImage>> captures_;
};

}  // namespace halvix
