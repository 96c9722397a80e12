#include "scene/load_queue.h"

#include <utility>

namespace halvix {

LoadQueue::LoadQueue() : thread_([this] { Loop(); }) {}

LoadQueue::~LoadQueue() {
    Stop();
}

bool LoadQueue::Post(std::function<void()> work, Kind kind) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            return false;
        }
        if (kind == Kind::Yielding && waiting_ && waiting_kind_ == Kind::Replacing) {
            return true;
        }
        waiting_ = std::move(work);
        waiting_kind_ = kind;
    }
    changed_.notify_all();
    return true;
}

void LoadQueue::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        waiting_.reset();
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool LoadQueue::Busy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_ || waiting_.has_value();
}

void LoadQueue::WaitIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !running_ && !waiting_; });
}

void LoadQueue::Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stopping_ || waiting_.has_value(); });
        if (stopping_) {
            return;
        }
        std::optional<std::function<void()>> work = std::exchange(waiting_, std::nullopt);
        running_ = true;
        lock.unlock();
        (*work)();
        work.reset();
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

}  // namespace halvix
