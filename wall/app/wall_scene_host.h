#pragma once
// The wall's engine objects, made and used on the render thread: the wall manager, the camera with
// its animator, the background texture (the backdrop scaled to the window) and the two pause
// textures. The host gives the render thread its scene callbacks: setup, the frame preparation
// (the prepared pictures of a build become tiles, as many as fit in a share of the frame, and the
// complete build takes the old wall's place), the pause screen and the wall frame.
#include <QSize>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "app/render_thread.h"
#include "app/wall_lock.h"
#include "engine/irr_ptr.h"
#include "scene/picture_link.h"

namespace irr {
class IrrlichtDevice;
namespace video {
class ITexture;
}
namespace scene {
class CameraAnimator;
class ICameraSceneNode;
}  // namespace scene
}  // namespace irr

namespace halvix {

class CWallManager;

inline constexpr char kBackgroundFile[] = "images/Wall/background.jpg";
inline constexpr char kPauseFile[] = "images/Wall/pause.jpg";
inline constexpr char kPause2File[] = "images/Wall/pause2.jpg";

class WallSceneHost {
  public:
    // backdrop: the screen's width and the work area's height. linkSettings: the gallery's
    // settings for the personal links of enlarged pictures (empty: "Bin\config.ini").
    WallSceneHost(WallLock& wallLock, QSize backdrop, GallerySettingsSource linkSettings = {});
    ~WallSceneHost();
    WallSceneHost(const WallSceneHost&) = delete;
    WallSceneHost& operator=(const WallSceneHost&) = delete;
    WallSceneHost(WallSceneHost&&) = delete;
    WallSceneHost& operator=(WallSceneHost&&) = delete;

    // Before the render thread starts: told on the render thread, under wallLock, of the pictures
    // that just joined the wall shown (the live wall's additions).
    void SetTilesAdded(std::function<void(std::vector<std::string>)> tilesAdded) {
        tiles_added_ = std::move(tilesAdded);
    }

    // The callbacks for RenderThread::Start. showsWall tells whether a folder is shown.
    RenderThread::Scene MakeScene(std::function<bool()> showsWall);

    // Valid between setup and teardown (render thread objects; other threads use them under
    // wallLock as their headers allow).
    CWallManager* Wall() const { return wall_.get(); }
    irr::scene::CameraAnimator* Animator() const { return animator_.get(); }
    irr::IrrlichtDevice* Device() const { return device_; }
    bool HasBackground() const { return background_ != nullptr; }
    bool HasPauseTextures() const { return pause_[0] != nullptr && pause_[1] != nullptr; }

  private:
    bool Setup(irr::IrrlichtDevice* device);
    void Prepare(std::chrono::milliseconds period);
    void Draw(bool pauseScreen, std::uint64_t frame);
    void Teardown();
    void LoadBackground();

    // The share of a frame's period that making tiles may take.
    static constexpr int kCommitShare_percent = 60;

    WallLock& wall_lock_;
    std::function<void(std::vector<std::string>)> tiles_added_;
    QSize backdrop_;
    GallerySettingsSource link_settings_;
    irr::IrrlichtDevice* device_ = nullptr;
    std::unique_ptr<CWallManager> wall_;
    irr_ptr<irr::scene::CameraAnimator> animator_;
    irr::scene::ICameraSceneNode* camera_ = nullptr;  // owned by the scene manager
    irr::video::ITexture* background_ = nullptr;      // owned by the driver
    irr::video::ITexture* pause_[2] = {nullptr, nullptr};
};

}  // namespace halvix
