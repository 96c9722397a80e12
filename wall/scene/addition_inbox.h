#pragma once
// Pictures prepared for the wall shown, on their way from the live loader to the render thread.
// Each belongs to one wall (its generation): one that arrives after that wall was replaced is
// dropped. At most `capacity` wait; the loader that brings one more waits for room, so a folder
// that fills with hundreds of pictures never holds them all prepared at once.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>
#include "scene/wall_plan.h"

namespace halvix {

class AdditionInbox {
  public:
    explicit AdditionInbox(std::size_t capacity = 8) : capacity_(capacity) {}

    // Any thread: waits for room, then leaves the picture. False (dropped) when the wall is no
    // longer `generation` or the inbox closed.
    bool Put(std::uint64_t generation, PreparedTile tile);
    // Render thread: the next picture for the wall `generation`; older ones are dropped on the way.
    std::optional<PreparedTile> Take(std::uint64_t generation);
    // A new wall is shown: everything waiting is dropped and waiting loaders give up.
    void SetGeneration(std::uint64_t generation);
    // Drops the picture named `name`, if one waits.
    void Drop(const std::string& name);
    // Refuses everything from now on.
    void Close();
    // The names waiting.
    std::vector<std::string> Names() const;

  private:
    struct Waiting {
        std::uint64_t generation;
        PreparedTile tile;
    };
    const std::size_t capacity_;
    mutable std::mutex mutex_;  // guards waiting_, generation_ and closed_
    std::condition_variable room_;
    std::deque<Waiting> waiting_;
    std::uint64_t generation_ = 0;
    bool closed_ = false;
};

}  // namespace halvix
