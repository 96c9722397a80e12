#include "app/render_thread.h"

#include <GL/gl.h>
#include "engine/irr_engine.h"
#include <chrono>
#include <utility>

namespace halvix {

RenderThread::RenderThread(WallLock& wallLock, FramePacing pacing) : wall_lock_(wallLock), pacing_(pacing) {}

RenderThread::~RenderThread() {
    Stop();
}

bool RenderThread::Start(std::uintptr_t nativeWindow, int width, int height, Scene scene) {
    if (thread_.joinable()) {
        return running_;
    }
    scene_ = std::move(scene);
    {
        std::lock_guard<std::mutex> lock(queue_mutex_);
        stop_ = false;
    }
    std::promise<bool> started;
    std::future<bool> ready = started.get_future();
    thread_ = std::thread([this, nativeWindow, width, height, started = std::move(started)]() mutable {
        Loop(nativeWindow, width, height, std::move(started));
    });
    const bool ok = ready.get();
    if (!ok) {
        thread_.join();
    }
    return ok;
}

void RenderThread::Stop() {
    {
        std::lock_guard<std::mutex> lock(queue_mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool RenderThread::Run(std::function<void()> work) {
    if (OnRenderThread()) {
        work();
        return true;
    }
    std::future<bool> done;
    {
        std::lock_guard<std::mutex> lock(queue_mutex_);
        if (stop_ || !running_) {
            return false;
        }
        queue_.push_back(Work{std::move(work), {}});
        done = queue_.back().done.get_future();
    }
    wake_.notify_all();
    return done.get();
}

std::future<QImage> RenderThread::CaptureNextFrame() {
    std::promise<QImage> capture;
    std::future<QImage> image = capture.get_future();
    std::lock_guard<std::mutex> lock(queue_mutex_);
    if (stop_ || !running_) {
        capture.set_value(QImage());
    } else {
        captures_.push_back(std::move(capture));
    }
    return image;
}

void RenderThread::Loop(std::uintptr_t nativeWindow, int width, int height, std::promise<bool> started) {
    thread_id_ = std::this_thread::get_id();
    irr::SIrrlichtCreationParameters parameters;
    parameters.DriverType = irr::video::EDT_OPENGL;
    parameters.WindowId = reinterpret_cast<void*>(nativeWindow);
    parameters.WindowSize =
        irr::core::dimension2d<irr::u32>(static_cast<irr::u32>(width), static_cast<irr::u32>(height));
    parameters.IgnoreInput = true;  // the main window takes the mouse and forwards it
    parameters.Stencilbuffer = false;
    device_ = irr::createDeviceEx(parameters);
    const bool ok = device_ != nullptr && (!scene_.setup || scene_.setup(device_));
    if (!ok) {
        if (device_) {
            if (scene_.teardown) {
                scene_.teardown();
            }
            device_->drop();
            device_ = nullptr;
        }
        thread_id_ = std::thread::id();
        started.set_value(false);
        return;
    }
    running_ = true;
    started.set_value(true);

    DrawUntilFinished();

    std::unique_lock<std::mutex> lock(queue_mutex_);
    running_ = false;
    lock.unlock();
    FailPending();
    if (scene_.finish) {
        scene_.finish();
    }
    // A device that finished by itself keeps the scene until the window asks the thread to end.
    lock.lock();
    wake_.wait(lock, [&] { return stop_; });
    lock.unlock();
    if (scene_.teardown) {
        scene_.teardown();
    }
    device_->closeDevice();
    device_->run();
    device_->drop();
    device_ = nullptr;
}

void RenderThread::Wake() {
    {
        std::lock_guard<std::mutex> lock(queue_mutex_);
        woken_ = true;
    }
    wake_.notify_all();
}

void RenderThread::DrawUntilFinished() {
    using Clock = std::chrono::steady_clock;
    auto next_frame = Clock::now();
    bool now_due = true;
    while (device_->run()) {
        now_due = RunPendingWork() || now_due;
        if (!engine_visible_) {
            // Behind a video nothing is drawn, but a build in progress still gets its tiles.
            if (scene_.prepare) {
                scene_.prepare(std::chrono::milliseconds(pacing_.hidden_poll_ms));
            }
            if (!WaitFor(pacing_.hidden_poll_ms)) {
                return;
            }
            next_frame = Clock::now();
            continue;
        }
        if (now_due || Clock::now() >= next_frame) {
            // The pause screen changes only at its own slow rate, so a build behind it gets most
            // of the time for its tiles; behind the wall it gets a share of the wall's frames.
            const auto period =
                std::chrono::milliseconds(PauseScreenDue() ? pacing_.pause_frame_ms : pacing_.wall_frame_ms);
            if (scene_.prepare) {
                scene_.prepare(period);
            }
            const bool pauseScreen = PauseScreenDue();  // a finished build may have just been shown
            DrawFrame(pauseScreen);
            // Pace against a schedule, not a fixed pause after the work: a steady rate whatever a
            // frame cost, and never a busy loop. A frame that ran late or early starts the
            // schedule afresh.
            const auto now = Clock::now();
            if (now_due || next_frame < now) {
                next_frame = now;
            }
            next_frame +=
                std::chrono::milliseconds(pauseScreen ? pacing_.pause_frame_ms : pacing_.wall_frame_ms);
        }
        // Handed-over work and a wake-up are served at once; both draw the next frame at once too.
        std::unique_lock<std::mutex> lock(queue_mutex_);
        wake_.wait_until(lock, next_frame, [&] { return stop_ || woken_ || !queue_.empty(); });
        if (stop_) {
            return;
        }
        now_due = std::exchange(woken_, false);
    }
}

bool RenderThread::PauseScreenDue() const {
    return scene_.showsWall && !scene_.showsWall();
}

bool RenderThread::RunPendingWork() {
    bool ran = false;
    while (true) {
        Work item;
        {
            std::lock_guard<std::mutex> lock(queue_mutex_);
            if (queue_.empty()) {
                return ran;
            }
            item = std::move(queue_.front());
            queue_.pop_front();
        }
        item.work();
        item.done.set_value(true);
        ran = true;
    }
}

void RenderThread::FailPending() {
    std::deque<Work> work;
    std::deque<std::promise<QImage>> captures;
    {
        std::lock_guard<std::mutex> lock(queue_mutex_);
        work.swap(queue_);
        captures.swap(captures_);
    }
    for (Work& item : work) {
        item.done.set_value(false);
    }
    for (auto& capture : captures) {
        capture.set_value(QImage());
    }
}

bool RenderThread::WaitFor(int delay_ms) {
    std::unique_lock<std::mutex> lock(queue_mutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(delay_ms), [&] {
        return stop_ || !queue_.empty();
    }) || !stop_;
}

void RenderThread::DrawFrame(bool pauseScreen) {
    irr::video::IVideoDriver* driver = device_->getVideoDriver();
    std::unique_lock<WallLock> frameLock(wall_lock_, std::defer_lock);
    if (!pauseScreen) {
        frameLock.lock();
    }
    driver->beginScene(true, true, irr::video::SColor(255, 0, 0, 0));
    if (scene_.draw) {
        scene_.draw(pauseScreen, frames_drawn_.load());
    }
    std::deque<std::promise<QImage>> captures;
    {
        std::lock_guard<std::mutex> lock(queue_mutex_);
        captures.swap(captures_);
    }
    if (!captures.empty()) {
        const auto size = driver->getScreenSize();
        QImage image(static_cast<int>(size.Width), static_cast<int>(size.Height), QImage::Format_RGBA8888);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, image.width(), image.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
        const QImage upright = image.mirrored(false, true).convertToFormat(QImage::Format_RGB32);
        for (auto& capture : captures) {
            capture.set_value(upright);
        }
    }
    driver->endScene();
    ++frames_drawn_;
}

}  // namespace halvix
