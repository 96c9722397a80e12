#pragma once
// One wall being built beside the one shown. A loader thread lists the folder and prepares its
// pictures, handing each over as soon as it is ready; the render thread takes them one by one and
// makes their textures and tiles off screen (CWallManager::CommitStaged), and once the last one is
// made puts the new wall in the place of the old one and reports the build finished. So a load
// holds no lock while it decodes, the textures are made while the pictures are still being
// decoded, and a prepared picture is kept only until its texture exists. At most `max_waiting`
// prepared pictures wait for the render thread: a worker with one more waits until a tile is taken
// (or the build finished), so a large folder never holds its whole wall twice, once prepared and
// once in textures.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include "scene/image_spider.h"
#include "scene/wall_plan.h"

namespace halvix {

class WallBuild {
  public:
    // max_waiting 0: no limit, for a caller that prepares everything before it takes any tile.
    explicit WallBuild(std::unique_ptr<CLocalImageSpider> source, TilePreparer prepare = {},
                       std::size_t max_waiting = 0);
    WallBuild(const WallBuild&) = delete;
    WallBuild& operator=(const WallBuild&) = delete;
    WallBuild(WallBuild&&) = delete;
    WallBuild& operator=(WallBuild&&) = delete;

    // Loader thread: lists the folder and prepares every picture on up to `threads` workers
    // (0: one per processor), then calls on_prepared. Returns early when the build is finished
    // meanwhile (abandoned): no picture starts after that, the ones under way are dropped.
    void Prepare(int threads = 0);

    // Render thread: the next prepared tile, waiting for it until `deadline` while pictures are
    // still being prepared. Nothing once the deadline passed, every tile was taken or the build
    // finished.
    std::optional<PreparedTile> TakeUntil(std::chrono::steady_clock::time_point deadline);
    // The next prepared tile, if one is waiting now.
    std::optional<PreparedTile> Take() { return TakeUntil(std::chrono::steady_clock::time_point::min()); }
    // Every picture was prepared and every tile taken, and the build is not finished.
    bool AllTaken() const;
    // The wall length; final once AllTaken.
    int Length() const;
    // Pictures listed, readable or not: the slots of the wall; final once AllTaken.
    int Count() const;
    // The native folder the source listed.
    const std::string& ListedFolder() const { return source_->ListedFolder(); }

    // Shown on the wall (true), or never to be (false: the wall closed, a newer build took its
    // place, or a newer command made it unwanted; any thread). The first call counts.
    void Finish(bool shown);
    bool Finished() const;
    // Until the build is finished; true when it was shown.
    bool WaitFinished();

    // Called by Prepare once every picture is handed over (loader thread): the render thread may
    // finish the build at once instead of at its next frame.
    std::function<void()> on_prepared;
    // Called first on each thread that prepares pictures.
    std::function<void()> on_worker_start;
    // Called on the render thread, under wallLock, right after the new wall took the old one's
    // place, with the wall length.
    std::function<void(int length)> on_shown;

  private:
    bool Hand(PreparedTile&& tile);

    std::unique_ptr<CLocalImageSpider> source_;
    TilePreparer prepare_;
    const std::size_t max_waiting_;

    mutable std::mutex mutex_;  // guards ready_, prepared_, length_, count_, finished_, shown_
    std::condition_variable finished_changed_;
    std::condition_variable tile_taken_;   // a place in ready_ came free, or the build finished
    std::condition_variable tile_handed_;  // a tile is ready, every tile is, or the build finished
    std::deque<PreparedTile> ready_;       // prepared, not yet taken by the render thread
    bool prepared_ = false;
    int length_ = 0;
    int count_ = 0;
    bool finished_ = false;
    bool shown_ = false;
};

}  // namespace halvix
