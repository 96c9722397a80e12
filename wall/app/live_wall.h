#pragma once
// LiveWall keeps the wall in step with its folder while it is shown: a picture that appears there
// (a sign-in saved by the station, a copy by hand or by another program) joins the wall as one
// more tile, and a tile whose file goes leaves it, without a rebuild and without the pause
// screen. Each arrival is announced (AnnouncedWall) unless the settings say otherwise.
//
// Threads: the window thread owns the watch, the timers and the announcements; the folder is
// listed and the pictures prepared on the live loader, one job at a time, a newer request
// replacing a waiting one (a flood of notices costs one listing); the render thread makes the
// tiles (CWallManager's additions) and reports them back.
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "app/wall_lock.h"
#include "live/announcements.h"
#include "live/arrivals.h"
#include "live/folder_watch.h"
#include "live/live_settings.h"
#include "scene/load_queue.h"
#include "scene/wall_plan.h"

namespace halvix {

class RenderThread;
class WallSceneHost;

struct LiveWallSetup {
    WallLock* lock = nullptr;
    WallSceneHost* host = nullptr;
    RenderThread* render = nullptr;
    std::function<bool()> video_shown;  // window thread
    TilePreparer prepare;               // empty: each picture's own wall image
    LiveSettings settings;
    std::chrono::milliseconds settle{1500};  // a picture nobody closed is whole after this
};

class LiveWall : public QObject {
  public:
    explicit LiveWall(LiveWallSetup setup, QObject* parent = nullptr);
    ~LiveWall() override;
    LiveWall(const LiveWall&) = delete;
    LiveWall& operator=(const LiveWall&) = delete;

    // Any thread (the render thread, under wallLock, when a new wall took the old one's place):
    // the watch follows the folder now shown.
    void WallShown();
    // Any thread (the render thread, under wallLock): pictures became tiles.
    void TilesAdded(std::vector<std::string> names);
    // Window thread: something may have arrived (the station saved a sign-in).
    void Poke();
    // Window thread: a guest touched the wall.
    void GuestActed() { announcements_.GuestActed(); }
    // Window thread: no more watching or adding; waits for the loader.
    void Stop();

    // Window thread, for tests and measurements: a picture just became a tile.
    std::function<void(const std::string& name)> on_tile_added;

    const Announcements& Announced() const { return announcements_; }
    bool Watching() const { return watch_.Watching(); }

  private:
    class SceneWall;

    void Follow();
    void OnChanges(std::vector<FolderChange> changes);
    void ScheduleScan(std::chrono::milliseconds delay);
    void TryWatchAgain();
    void Reconcile();
    void RemoveTiles(const std::vector<std::string>& names);
    void AddPictures(const std::vector<std::string>& names, const std::string& folder,
                     const std::vector<ListedFile>& listing, std::uint64_t generation);
    void Announce(const std::vector<std::string>& names);

    LiveWallSetup setup_;
    std::unique_ptr<SceneWall> scene_wall_;
    Announcements announcements_;  // window thread
    FolderWatch watch_;            // window thread
    std::string watched_;          // window thread: the folder followed
    QTimer scan_timer_;            // a listing is due
    QTimer rewatch_timer_;         // the folder went: look for it again
    QTimer announce_timer_;

    std::mutex changes_mutex_;  // guards changes_ and overflowed_
    std::vector<FolderChange> changes_;
    bool overflowed_ = false;

    Arrivals arrivals_;            // live loader only
    std::string arrivals_folder_;  // live loader only: the folder arrivals_ knows
    LoadQueue loads_;              // last: its thread uses the members above
};

}  // namespace halvix
