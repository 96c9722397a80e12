#include "app/live_wall.h"

#include <QLoggingCategory>
#include <algorithm>
#include "animation/camera_animator.h"
#include "app/render_thread.h"
#include "app/wall_scene_host.h"
#include "scene/image_item.h"
#include "scene/wall_manager.h"

namespace halvix {
namespace {

Q_LOGGING_CATEGORY(lcLive, "vantor.wall.live")

using namespace std::chrono_literals;

// Changes come in bursts (a copy writes a file in many pieces): one listing after the burst.
constexpr auto kGatherChanges = 120ms;
constexpr auto kLookForFolder = 1000ms;
constexpr auto kAnnounceTick = 100ms;
// Folder changes kept for the next listing; past this the listing alone decides.
constexpr std::size_t kMaxChanges = 4096;

}  // namespace

// The announcements' view of the scene: the camera animator and the wall, under wallLock.
class LiveWall::SceneWall : public AnnouncedWall {
  public:
    explicit SceneWall(const LiveWallSetup& setup) : setup_(setup) {}

    bool Busy(const std::string* ours) override {
        if (setup_.video_shown && setup_.video_shown()) {
            return true;
        }
        WallLockGuard lock(*setup_.lock);
        const irr::scene::ISceneNode* selected = Animator()->Selected();
        return selected != nullptr && (ours == nullptr || *ours != selected->getName());
    }
    float Centre() override {
        WallLockGuard lock(*setup_.lock);
        return Animator()->CentreX();
    }
    bool Show(const std::string& name) override {
        WallLockGuard lock(*setup_.lock);
        irr::scene::ISceneNode* tile = setup_.host->Wall()->TileNamed(name);
        if (tile == nullptr) {
            return false;
        }
        Animator()->Show(tile);
        return true;
    }
    bool Showing(const std::string& name) override {
        WallLockGuard lock(*setup_.lock);
        const irr::scene::ISceneNode* selected = Animator()->Selected();
        return selected != nullptr && name == selected->getName();
    }
    void Unshow(float centre) override {
        WallLockGuard lock(*setup_.lock);
        Animator()->Unselect(centre);
    }

  private:
    irr::scene::CameraAnimator* Animator() const { return setup_.host->Animator(); }
    const LiveWallSetup& setup_;
};

LiveWall::LiveWall(LiveWallSetup setup, QObject* parent)
    : QObject(parent),
      setup_(std::move(setup)),
      scene_wall_(std::make_unique<SceneWall>(setup_)),
      announcements_(*scene_wall_,
                     std::chrono::duration_cast<std::chrono::milliseconds>(setup_.settings.announce_for)),
      watch_([this](std::vector<FolderChange> changes) { OnChanges(std::move(changes)); }),
      arrivals_(setup_.settle) {
    scan_timer_.setSingleShot(true);
    connect(&scan_timer_, &QTimer::timeout, this, [this] { loads_.Post([this] { Reconcile(); }); });
    rewatch_timer_.setInterval(kLookForFolder);
    connect(&rewatch_timer_, &QTimer::timeout, this, [this] { TryWatchAgain(); });
    announce_timer_.setInterval(kAnnounceTick);
    connect(&announce_timer_, &QTimer::timeout, this, [this] {
        announcements_.Tick(Announcements::Clock::now());
        if (announcements_.Idle()) {
            announce_timer_.stop();
        }
    });
}

LiveWall::~LiveWall() {
    Stop();
}

void LiveWall::Stop() {
    scan_timer_.stop();
    rewatch_timer_.stop();
    announce_timer_.stop();
    watch_.Stop();
    // A loader waiting for the render thread to take a picture (it takes none while a video hides
    // the wall) gives up.
    if (CWallManager* wall = setup_.host->Wall()) {
        wall->CloseAdditions();
    }
    loads_.Stop();
}

void LiveWall::WallShown() {
    QMetaObject::invokeMethod(
        this, [this] { Follow(); }, Qt::QueuedConnection);
}

void LiveWall::TilesAdded(std::vector<std::string> names) {
    QMetaObject::invokeMethod(
        this, [this, names = std::move(names)] { Announce(names); }, Qt::QueuedConnection);
}

void LiveWall::Poke() {
    ScheduleScan(0ms);
}

// A new wall: its folder is watched from now on, and listed once at once, for what arrived
// between the build's listing and the watch.
void LiveWall::Follow() {
    std::string folder;
    {
        WallLockGuard lock(*setup_.lock);
        folder = setup_.host->Wall()->ShownWall().folder;
    }
    announcements_.Clear();
    if (folder != watched_ || !watch_.Watching()) {
        watched_ = folder;
        rewatch_timer_.stop();
        if (folder.empty()) {
            watch_.Stop();
        } else if (!watch_.Watch(folder)) {
            rewatch_timer_.start();
        }
    }
    ScheduleScan(0ms);
}

void LiveWall::OnChanges(std::vector<FolderChange> changes) {
    bool folder_gone = false;
    {
        std::lock_guard<std::mutex> lock(changes_mutex_);
        for (FolderChange& change : changes) {
            folder_gone = folder_gone || change.kind == FolderChange::Kind::FolderGone;
            if (change.kind != FolderChange::Kind::File || changes_.size() >= kMaxChanges) {
                overflowed_ = true;
            } else {
                changes_.push_back(std::move(change));
            }
        }
    }
    if (folder_gone) {
        qCInfo(lcLive) << "the folder shown went:" << watched_.c_str();
        watch_.Stop();
        rewatch_timer_.start();
    }
    ScheduleScan(kGatherChanges);
}

void LiveWall::ScheduleScan(std::chrono::milliseconds delay) {
    if (!scan_timer_.isActive() || scan_timer_.remainingTimeAsDuration() > delay) {
        scan_timer_.start(delay);
    }
}

// The folder went (removed or renamed): once something by its name is there again it is watched
// and listed.
void LiveWall::TryWatchAgain() {
    if (watched_.empty() || watch_.Watch(watched_)) {
        rewatch_timer_.stop();
    }
    ScheduleScan(0ms);
}

// Live loader: what the watch saw since the last listing, the folder now and the wall now give
// the tiles to take away and the pictures to add.
void LiveWall::Reconcile() {
    CWallManager* wall = setup_.host->Wall();
    CWallManager::Shown shown;
    {
        WallLockGuard lock(*setup_.lock);
        shown = wall->ShownWall();
    }
    std::vector<FolderChange> changes;
    {
        std::lock_guard<std::mutex> lock(changes_mutex_);
        changes.swap(changes_);
        overflowed_ = false;
    }
    if (shown.folder.empty()) {
        return;  // no wall, or a new one is being made
    }
    if (shown.folder != arrivals_folder_) {
        arrivals_.Reset();
        arrivals_folder_ = shown.folder;
    }
    const auto now = Arrivals::Clock::now();
    for (const FolderChange& change : changes) {
        arrivals_.Note(change.name, change.event, now);
    }
    const std::optional<std::vector<ListedFile>> listing = ListFolder(shown.folder);
    const Arrivals::Plan plan = arrivals_.Reconcile(shown.names, listing, now);
    if (!plan.remove.empty()) {
        RemoveTiles(plan.remove);
    }
    if (!plan.add.empty() && listing) {
        AddPictures(plan.add, shown.folder, *listing, shown.generation);
    }
    if (plan.recheck) {
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(*plan.recheck - Arrivals::Clock::now());
        QMetaObject::invokeMethod(
            this, [this, wait] { ScheduleScan(std::max(wait, 0ms)); }, Qt::QueuedConnection);
    }
}

// Live loader. The camera lets a tile go before the tile goes: the selection never names a
// picture that is gone.
void LiveWall::RemoveTiles(const std::vector<std::string>& names) {
    CWallManager* wall = setup_.host->Wall();
    {
        WallLockGuard lock(*setup_.lock);
        for (const std::string& name : names) {
            if (irr::scene::ISceneNode* tile = wall->TileNamed(name)) {
                setup_.host->Animator()->Forget(tile);
                wall->RemoveTile(tile);
            }
        }
    }
    for (const std::string& name : names) {
        wall->DropAddition(name);
    }
    qCInfo(lcLive) << names.size() << "pictures left the wall";
    QMetaObject::invokeMethod(
        this, [this, names] { announcements_.Forget(names); }, Qt::QueuedConnection);
}

// Live loader: each picture prepared like a build's and handed to the render thread, until the
// wall they were meant for is replaced.
void LiveWall::AddPictures(const std::vector<std::string>& names, const std::string& folder,
                           const std::vector<ListedFile>& listing, std::uint64_t generation) {
    CWallManager* wall = setup_.host->Wall();
    for (const std::string& name : names) {
        if (wall->Generation() != generation) {
            return;  // another wall: its own listing decides
        }
        CLocalImageItem item(name, folder);
        const std::string path = folder + "/" + name;
        const QImage image = !LooksWhole(path) ? QImage()
                             : setup_.prepare  ? setup_.prepare(item)
                                               : item.WallImage();
        if (image.isNull()) {
            const auto file = std::find_if(listing.begin(), listing.end(),
                                           [&](const ListedFile& f) { return f.name == name; });
            if (file != listing.end()) {
                arrivals_.Unreadable(*file);
            }
            continue;
        }
        if (!wall->StageAddition(generation, PreparedTile{0, name, {}, TexturePixels(image)})) {
            return;
        }
        setup_.render->Wake();
    }
}

void LiveWall::Announce(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (on_tile_added) {
            on_tile_added(name);
        }
        if (setup_.settings.announce) {
            announcements_.Arrived(name);
        }
    }
    if (!announcements_.Idle() && !announce_timer_.isActive()) {
        announcements_.Tick(Announcements::Clock::now());
        announce_timer_.start();
    }
}

}  // namespace halvix
