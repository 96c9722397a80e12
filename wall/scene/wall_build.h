#pragma once
// One wall being built beside the one shown. A loader thread lists the folder and prepares its
// pictures, handing each over as soon as it is ready; the render thread takes them one by one and
// makes their textures and tiles off screen (CWallManager::CommitStaged), and once the last one is
// made puts the new wall in the place of the old one and reports the build finished. So a load
// holds no lock while it decodes, the textures are made while the pictures are still being
// decoded, and a prepared picture is kept only until its texture exists.
#include <condition_variable>
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
    explicit WallBuild(std::unique_ptr<CLocalImageSpider> source, TilePreparer prepare = {});
    WallBuild(const WallBuild&) = delete;
    WallBuild& operator=(const WallBuild&) = delete;
    WallBuild(WallBuild&&) = delete;
    WallBuild& operator=(WallBuild&&) = delete;

    // Loader thread: lists the folder and prepares every picture on up to `threads` workers
    // (0: one per processor), then calls on_prepared. Returns early when the build is finished
    // meanwhile (abandoned): no picture starts after that, the ones under way are dropped.
    void Prepare(int threads = 0);

    // Render thread: the next prepared tile, if one is waiting.
    std::optional<PreparedTile> Take();
    // Every picture was prepared and every tile taken, and the build is not finished.
    bool AllTaken() const;
    // The wall length; final once AllTaken.
    int Length() const;
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
    // Called on the render thread, under wallLock, right after the new wall took the old one's
    // place, with the wall length.
    std::function<void(int length)> on_shown;

  private:
    bool Hand(PreparedTile&& tile);

    std::unique_ptr<CLocalImageSpider> source_;
    TilePreparer prepare_;

    mutable std::mutex mutex_;  // guards ready_, prepared_, length_, finished_, shown_
    std::condition_variable finished_changed_;
    std::deque<PreparedTile> ready_;  // prepared, not yet taken by the render thread
    bool prepared_ = false;
    int length_ = 0;
    bool finished_ = false;
    bool shown_ = false;
};

}  // namespace halvix
