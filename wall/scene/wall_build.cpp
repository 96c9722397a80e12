#include "scene/wall_build.h"

namespace halvix {

WallBuild::WallBuild(std::unique_ptr<CLocalImageSpider> source, TilePreparer prepare, std::size_t max_waiting)
    : source_(std::move(source)), prepare_(std::move(prepare)), max_waiting_(max_waiting) {}

void WallBuild::Prepare(int threads) {
    const PlanSummary summary = PlanWall(
        *source_, [this](PreparedTile&& tile) { return Hand(std::move(tile)); }, threads, prepare_,
        [this] { return Finished(); }, on_worker_start);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        length_ = summary.length;
        count_ = summary.count;
        prepared_ = true;
    }
    tile_handed_.notify_all();
    if (on_prepared) {
        on_prepared();
    }
}

bool WallBuild::Hand(PreparedTile&& tile) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (max_waiting_ > 0) {
        tile_taken_.wait(lock, [this] { return finished_ || ready_.size() < max_waiting_; });
    }
    if (finished_) {
        return false;  // abandoned: stop preparing
    }
    ready_.push_back(std::move(tile));
    lock.unlock();
    tile_handed_.notify_one();
    return true;
}

std::optional<PreparedTile> WallBuild::TakeUntil(std::chrono::steady_clock::time_point deadline) {
    std::optional<PreparedTile> tile;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        tile_handed_.wait_until(lock, deadline, [this] { return !ready_.empty() || prepared_ || finished_; });
        if (ready_.empty() || finished_) {
            return std::nullopt;
        }
        tile = std::move(ready_.front());
        ready_.pop_front();
    }
    tile_taken_.notify_one();
    return tile;
}

bool WallBuild::AllTaken() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return prepared_ && ready_.empty() && !finished_;
}

int WallBuild::Length() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return length_;
}

int WallBuild::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}

void WallBuild::Finish(bool shown) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (finished_) {
            return;
        }
        finished_ = true;
        shown_ = shown;
        ready_.clear();
    }
    finished_changed_.notify_all();
    tile_taken_.notify_all();
    tile_handed_.notify_all();
}

bool WallBuild::Finished() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
}

bool WallBuild::WaitFinished() {
    std::unique_lock<std::mutex> lock(mutex_);
    finished_changed_.wait(lock, [this] { return finished_; });
    return shown_;
}

}  // namespace halvix
