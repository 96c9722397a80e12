#include "scene/wall_build.h"

namespace halvix {

WallBuild::WallBuild(std::unique_ptr<CLocalImageSpider> source, TilePreparer prepare)
    : source_(std::move(source)), prepare_(std::move(prepare)) {}

void WallBuild::Prepare(int threads) {
    const PlanSummary summary = PlanWall(
        *source_, [this](PreparedTile&& tile) { return Hand(std::move(tile)); }, threads, prepare_,
        [this] { return Finished(); });
    {
        std::lock_guard<std::mutex> lock(mutex_);
        length_ = summary.length;
        prepared_ = true;
    }
    if (on_prepared) {
        on_prepared();
    }
}

bool WallBuild::Hand(PreparedTile&& tile) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (finished_) {
        return false;  // abandoned: stop preparing
    }
    ready_.push_back(std::move(tile));
    return true;
}

std::optional<PreparedTile> WallBuild::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ready_.empty()) {
        return std::nullopt;
    }
    PreparedTile tile = std::move(ready_.front());
    ready_.pop_front();
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
