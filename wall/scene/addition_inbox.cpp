#include "scene/addition_inbox.h"

#include <algorithm>

namespace halvix {

bool AdditionInbox::Put(std::uint64_t generation, PreparedTile tile) {
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [&] { return closed_ || generation_ != generation || waiting_.size() < capacity_; });
    if (closed_ || generation_ != generation) {
        return false;
    }
    waiting_.push_back({generation, std::move(tile)});
    return true;
}

std::optional<PreparedTile> AdditionInbox::Take(std::uint64_t generation) {
    std::optional<PreparedTile> tile;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        while (!waiting_.empty() && !tile) {
            if (waiting_.front().generation == generation) {
                tile = std::move(waiting_.front().tile);
            }
            waiting_.pop_front();
        }
    }
    room_.notify_all();
    return tile;
}

void AdditionInbox::SetGeneration(std::uint64_t generation) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        generation_ = generation;
        waiting_.clear();
    }
    room_.notify_all();
}

void AdditionInbox::Drop(const std::string& name) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::erase_if(waiting_, [&](const Waiting& w) { return w.tile.name == name; });
    }
    room_.notify_all();
}

void AdditionInbox::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        waiting_.clear();
    }
    room_.notify_all();
}

std::vector<std::string> AdditionInbox::Names() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> names;
    for (const Waiting& w : waiting_) {
        names.push_back(w.tile.name);
    }
    return names;
}

}  // namespace halvix
