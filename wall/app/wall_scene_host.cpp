#include "app/wall_scene_host.h"

#include "engine/irr_engine.h"
#include <chrono>
#include <mutex>
#include <utility>
#include "animation/camera_animator.h"
#include "scene/wall_manager.h"

namespace halvix {

using namespace irr;

WallSceneHost::WallSceneHost(WallLock& wallLock, QSize backdrop, GallerySettingsSource linkSettings)
    : wall_lock_(wallLock), backdrop_(backdrop), link_settings_(std::move(linkSettings)) {}

WallSceneHost::~WallSceneHost() = default;

RenderThread::Scene WallSceneHost::MakeScene(std::function<bool()> showsWall) {
    RenderThread::Scene scene;
    scene.setup = [this](IrrlichtDevice* device) { return Setup(device); };
    scene.prepare = [this](std::chrono::milliseconds period) { Prepare(period); };
    scene.draw = [this](bool pauseScreen, std::uint64_t frame) { Draw(pauseScreen, frame); };
    scene.teardown = [this] { Teardown(); };
    scene.finish = [this] {
        if (wall_) {
            wall_->Close();
        }
    };
    scene.showsWall = std::move(showsWall);
    return scene;
}

bool WallSceneHost::Setup(IrrlichtDevice* device) {
    device_ = device;
    video::IVideoDriver* driver = device->getVideoDriver();
    scene::ISceneManager* scene = device->getSceneManager();
    pause_[0] = driver->getTexture(kPauseFile);
    pause_[1] = driver->getTexture(kPause2File);
    {
        WallLockGuard lock(wall_lock_);
        wall_ = std::make_unique<CWallManager>(device, link_settings_);
        camera_ =
            scene->addCameraSceneNode(nullptr, core::vector3df(0, 0, -2500), core::vector3df(200, 0, 0));
        animator_ = scene::CameraAnimator::Create(device, scene, device->getTimer()->getTime());
        animator_->SetLock(LockRef(wall_lock_));
        animator_->SetWall(wall_.get());
        animator_->SetCenter(0.0f);
        camera_->addAnimator(animator_.get());
    }
    LoadBackground();
    return camera_ != nullptr;
}

// The backdrop scaled into an image of the screen's width and the work area's height.
void WallSceneHost::LoadBackground() {
    video::IVideoDriver* driver = device_->getVideoDriver();
    irr_ptr<video::IImage> loaded(driver->createImageFromFile(kBackgroundFile));
    if (!loaded || backdrop_.isEmpty()) {
        return;
    }
    irr_ptr<video::IImage> scaled(driver->createImage(
        video::ECF_A8R8G8B8,
        core::dimension2d<u32>(static_cast<u32>(backdrop_.width()), static_cast<u32>(backdrop_.height()))));
    if (!scaled) {
        return;
    }
    loaded->copyToScaling(scaled.get());
    const bool mipmaps = driver->getTextureCreationFlag(video::ETCF_CREATE_MIP_MAPS);
    driver->setTextureCreationFlag(video::ETCF_CREATE_MIP_MAPS, false);
    background_ = driver->addTexture("#wall-background", scaled.get());
    driver->setTextureCreationFlag(video::ETCF_CREATE_MIP_MAPS, mipmaps);
}

// Tiles of a build in progress, and pictures that join the wall shown, are made within a share of
// the frame, so that the frames keep their rate while a wall is put up or grows; the complete
// build then takes the old wall's place. A selected
// tile's enlarged picture, decoded meanwhile, becomes its texture.
void WallSceneHost::Prepare(std::chrono::milliseconds period) {
    if (!wall_) {
        return;
    }
    const auto deadline = CWallManager::Clock::now() + period * kCommitShare_percent / 100;
    const bool complete = wall_->CommitStaged(deadline);
    wall_->PrepareAdditions(deadline);
    {
        WallLockGuard lock(wall_lock_);
        wall_->ReleaseRetired();
        if (complete) {
            wall_->SwapStaged();
        }
        const std::vector<scene::ISceneNode*> added = wall_->InsertAdditions();
        if (!added.empty()) {
            animator_->SetLength(static_cast<f32>(wall_->Length()));
            if (tiles_added_) {
                std::vector<std::string> names;
                for (const scene::ISceneNode* tile : added) {
                    names.emplace_back(tile->getName());
                }
                tiles_added_(std::move(names));
            }
        }
        wall_->ApplyEnlarged();
    }
}

void WallSceneHost::Draw(bool pauseScreen, std::uint64_t frame) {
    video::IVideoDriver* driver = device_->getVideoDriver();
    if (background_) {
        driver->draw2DImage(background_, core::position2di(0, 0));
    }
    if (!pauseScreen) {
        device_->getSceneManager()->drawAll();
        return;
    }
    video::ITexture* pause = pause_[frame % 2];
    if (pause) {
        const core::dimension2du screen = driver->getScreenSize();
        const core::position2di at(static_cast<s32>(screen.Width / 2) - 400,
                                   static_cast<s32>(screen.Height / 2) - 300);
        driver->draw2DImage(pause, at, core::recti(0, 0, 800, 600), nullptr,
                            video::SColor(255, 255, 255, 255), false);
    }
}

void WallSceneHost::Teardown() {
    WallLockGuard lock(wall_lock_);
    if (camera_) {
        camera_->removeAnimators();
    }
    animator_.reset();
    wall_.reset();
    camera_ = nullptr;
    background_ = nullptr;
    pause_[0] = pause_[1] = nullptr;
    device_ = nullptr;
}

}  // namespace halvix
