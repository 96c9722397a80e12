#include "live/announcements.h"

#include <algorithm>

namespace halvix {

void Announcements::Arrived(const std::string& name) {
    waiting_.push_back(name);
    while (waiting_.size() > kMaxWaiting) {
        waiting_.pop_front();  // the newest are kept
    }
}

void Announcements::Forget(const std::vector<std::string>& names) {
    std::erase_if(waiting_, [&](const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    });
}

void Announcements::Clear() {
    waiting_.clear();
    shown_.reset();
    current_.reset();
}

void Announcements::GuestActed() {
    shown_.reset();
    current_.reset();
}

const std::optional<std::string>& Announcements::Current() const {
    return current_;
}

void Announcements::Tick(Clock::time_point now) {
    if (shown_) {
        if (!wall_.Showing(shown_->name)) {
            GuestActed();  // somebody chose another picture, or the tile left the wall
            return;
        }
        if (now < shown_->until) {
            return;
        }
        const std::string ended = std::move(shown_->name);
        shown_.reset();
        current_.reset();
        if (wall_.Busy(&ended) || !ShowNext(now)) {
            wall_.Unshow(return_to_);
        }
        return;
    }
    if (!waiting_.empty() && !wall_.Busy(nullptr)) {
        return_to_ = wall_.Centre();
        ShowNext(now);
    }
}

// The next waiting picture that still has a tile.
bool Announcements::ShowNext(Clock::time_point now) {
    while (!waiting_.empty()) {
        std::string name = std::move(waiting_.front());
        waiting_.pop_front();
        if (wall_.Show(name)) {
            current_ = name;
            shown_ = Shown{std::move(name), now + show_for_};
            return true;
        }
    }
    return false;
}

}  // namespace halvix
