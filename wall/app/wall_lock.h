#pragma once
// wallLock: the one lock of the wall. It guards the 3D scene: the tiles and their textures, the
// wall manager's lists, the camera animator's selection and every frame drawn from them. The
// render thread holds it for each frame and while a new wall takes the old one's place; loaders
// hold it to deselect and to hide the old wall, the window thread while it changes or reads the
// selection. Nothing that decodes or reads files runs under it. Releasing it without holding it
// is a fault in the program and stops it.
//
// It is recursive (a holder may take it again) and fair: waiters are served in the order they
// arrived, so a loader asking between two frames gets the lock next, however quickly the render
// loop asks again. A plain mutex lets the thread that just released it win again and again.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace halvix {

class WallLock {
  public:
    WallLock() = default;
    WallLock(const WallLock&) = delete;
    WallLock& operator=(const WallLock&) = delete;
    WallLock(WallLock&&) = delete;
    WallLock& operator=(WallLock&&) = delete;

    void lock();
    void unlock();
    bool try_lock();
    bool HeldByThisThread() const;
    // Threads queued for the lock now (not counting the holder).
    int Waiters() const;

  private:
    mutable std::mutex state_mutex_;  // guards owner_, depth_, next_ticket_, serving_
    std::condition_variable turn_;
    std::thread::id owner_;
    int depth_ = 0;
    std::uint64_t next_ticket_ = 0;
    std::uint64_t serving_ = 0;
};

using WallLockGuard = std::lock_guard<WallLock>;

}  // namespace halvix
