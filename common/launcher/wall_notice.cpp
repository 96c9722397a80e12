#include "launcher/wall_notice.h"

#include "launcher/wall_launcher.h"
#include "platform/program_messages.h"

namespace vantor {

// A wall that hangs holds only this thread, and not for long.
constexpr int kNoticeTimeout_ms = 2000;

void SendNewPictureToWall() {
    SendProgramMessage(kWallWindowTitle, kWallNewPictureMessage, 0, 0, kNoticeTimeout_ms);
}

WallNotice::WallNotice(Send send) : send_(std::move(send)), thread_([this] { Loop(); }) {}

WallNotice::~WallNotice() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void WallNotice::Tell() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_ = true;
    }
    wake_.notify_all();
}

void WallNotice::Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (stopping_) {
            return;
        }
        pending_ = false;
        lock.unlock();
        send_();
        lock.lock();
    }
}

}  // namespace vantor
