#pragma once
// The moment a new sign-in arrives on the wall: the camera glides to its tile, the tile stands out
// enlarged for a few seconds, then the wall goes on where it was. Arrivals that come together are
// shown one after the other without going back in between; only the newest few wait (an older one
// is dropped when more come), so a folder filled at once is not announced for an hour. Nobody is
// interrupted: while a guest looks at a picture or a video the announcements wait, and a guest who
// touches the wall during one takes it over. Plain logic over the wall it is given; the caller
// ticks it.
#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace halvix {

// What the announcements need of the wall. The caller takes the scene lock around each call.
class AnnouncedWall {
  public:
    virtual ~AnnouncedWall() = default;
    // A guest looks at a video, or at a selected picture other than `ours` (none: any).
    virtual bool Busy(const std::string* ours) = 0;
    // Where the view is centred now.
    virtual float Centre() = 0;
    // Selects and enlarges the picture's tile; false when it has none.
    virtual bool Show(const std::string& name) = 0;
    // The picture's tile is still the selected one.
    virtual bool Showing(const std::string& name) = 0;
    // Returns the selected tile to the wall and the view to `centre`.
    virtual void Unshow(float centre) = 0;
};

class Announcements {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kMaxWaiting = 5;

    Announcements(AnnouncedWall& wall, std::chrono::milliseconds showFor) : wall_(wall), show_for_(showFor) {}

    void Arrived(const std::string& name);
    // Pictures that left the wall are not announced.
    void Forget(const std::vector<std::string>& names);
    // Another wall: nothing waits, nothing is shown any more.
    void Clear();
    // A guest touched the wall: an announcement shown now is his.
    void GuestActed();
    void Tick(Clock::time_point now);

    bool Idle() const { return !current_ && waiting_.empty(); }
    const std::optional<std::string>& Current() const;
    std::size_t Waiting() const { return waiting_.size(); }

  private:
    bool ShowNext(Clock::time_point now);

    struct Shown {
        std::string name;
        Clock::time_point until;
    };
    AnnouncedWall& wall_;
    std::chrono::milliseconds show_for_;
    std::deque<std::string> waiting_;
    std::optional<Shown> shown_;
    std::optional<std::string> current_;  // shown_'s name, for callers
    float return_to_ = 0.0f;              // the view's centre before the first of a run
};

}  // namespace halvix
