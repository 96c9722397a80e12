#pragma once
// An event that stays set until it is reset, as the frame hand-over needs: the receiver sets it
// when a frame waits, the fetcher waits for it and resets it after taking the frame.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vantor::camera {

class ManualResetEvent {
  public:
    void Set() {
        std::lock_guard lock(mutex_);
        set_ = true;
        changed_.notify_all();
    }
    void Reset() {
        std::lock_guard lock(mutex_);
        set_ = false;
    }
    bool IsSet() const {
        std::lock_guard lock(mutex_);
        return set_;
    }
    // Whether the event was set within the time-out.
    bool WaitFor(std::chrono::milliseconds timeout) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [this] { return set_; });
    }

  private:
    mutable std::mutex mutex_;  // guards set_
    mutable std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace vantor::camera
