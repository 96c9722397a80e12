#include "app/wall_lock.h"

#include <QtGlobal>

namespace halvix {

void WallLock::lock() {
    std::unique_lock<std::mutex> state(state_mutex_);
    const std::thread::id self = std::this_thread::get_id();
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return;
    }
    const std::uint64_t ticket = next_ticket_++;
    turn_.wait(state, [&] { return serving_ == ticket && depth_ == 0; });
    owner_ = self;
    depth_ = 1;
}

void WallLock::unlock() {
    std::lock_guard<std::mutex> state(state_mutex_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) {
        // A release without the lock means the scene was used unguarded: stop here rather than
        // let a frame and a rebuild meet.
        qFatal("wallLock released by a thread that does not hold it");
    }
    if (--depth_ == 0) {
        owner_ = std::thread::id();
        ++serving_;
        turn_.notify_all();
    }
}

bool WallLock::try_lock() {
    std::lock_guard<std::mutex> state(state_mutex_);
    const std::thread::id self = std::this_thread::get_id();
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return true;
    }
    if (depth_ != 0 || serving_ != next_ticket_) {
        return false;  // held, or others are queued ahead
    }
    ++next_ticket_;
    owner_ = self;
    depth_ = 1;
    return true;
}

bool WallLock::HeldByThisThread() const {
    std::lock_guard<std::mutex> state(state_mutex_);
    return depth_ > 0 && owner_ == std::this_thread::get_id();
}

int WallLock::Waiters() const {
    std::lock_guard<std::mutex> state(state_mutex_);
    const std::uint64_t queued = next_ticket_ - serving_;
    return static_cast<int>(depth_ > 0 ? queued - 1 : queued);
}

}  // namespace halvix
