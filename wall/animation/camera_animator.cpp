#include "animation/camera_animator.h"

#include "engine/irr_engine.h"
#include <algorithm>
#include <cmath>
#include <mutex>
#include "scene/wall_manager.h"

namespace irr::scene {
namespace {

// The frame length used after a pause of more than a second, so that the camera does not jump.
constexpr f32 kLongPauseStep_s = 0.02f;
constexpr f32 kDragGain = 0.2f / 0.009f;

// -1, 0 or +1: the direction from `from` towards `to`.
f32 Direction(f32 from, f32 to) {
    if (to - from == 0.0f) {
        return 0.0f;
    }
    return from > to ? -1.0f : 1.0f;
}

// The easing speed from `from` towards `to`, per second: gain x the square root of the distance,
// signed towards `to`.
f32 EaseSpeed(f32 from, f32 to, f32 gain) {
    return std::sqrt(std::fabs(to - from)) * Direction(from, to) * gain;
}

// One frame of easing from `from` towards `to` for dt seconds. A step that would reach the goal or
// pass it is not taken: the frame ends at `otherwise` instead (the goal itself, `from` to wait, or
// another place).
f32 Ease(f32 from, f32 to, f32 gain, f32 dt, f32 otherwise) {
    const f32 step = EaseSpeed(from, to, gain) * dt;
    return std::fabs(step) < std::fabs(to - from) ? from + step : otherwise;
}

// Where one frame of easing takes a tile from z towards its goal, the step taken whole; the caller
// bounds it by the goal.
f32 SlideStep(f32 z, f32 goal, f32 gain, f32 dt) {
    return z + EaseSpeed(z, goal, gain) * dt;
}

void MoveTileTo(ISceneNode* tile, f32 z) {
    const core::vector3df at = tile->getAbsolutePosition();
    tile->setPosition(core::vector3df(at.X, at.Y, z));
    tile->updateAbsolutePosition();
}

}  // namespace

irr_ptr<CameraAnimator> CameraAnimator::Create(IrrlichtDevice* device, ISceneManager* scene, u32 now_ms) {
    // The engine counts references of animators; the pointer holds the first one.
    return irr_ptr<CameraAnimator>(new CameraAnimator(device, scene, now_ms));
}

CameraAnimator::CameraAnimator(IrrlichtDevice* device, ISceneManager* scene, u32 now_ms)
    : device_(device), scene_(scene), last_time_ms_(now_ms) {}

ISceneNodeAnimator* CameraAnimator::createClone(ISceneNode*, ISceneManager*) {
    return nullptr;  // one wall, one camera: the animator is not copied
}

void CameraAnimator::SetCenter(f32 c) {
    std::lock_guard guard(lock_);
    maximum_centre_ = static_cast<s32>(c * 2);
    previous_ = nullptr;
    selected_ = nullptr;
    swaps_.clear();  // the tiles they were meant for are gone with the rebuild
    target_z_ = kFreeDepth;
    centre_x_ = c;
}

void CameraAnimator::StartAt(f32 x) {
    std::lock_guard guard(lock_);
    start_x_ = x;
}

void CameraAnimator::Select(ISceneNode* tile) {
    std::lock_guard guard(lock_);
    if (tile != nullptr) {
        previous_ = selected_;
        selected_ = tile;
    }
}

void CameraAnimator::SetLength(f32 length) {
    std::lock_guard guard(lock_);
    maximum_centre_ = static_cast<s32>(length);
}

void CameraAnimator::Show(ISceneNode* tile) {
    std::lock_guard guard(lock_);
    if (tile == nullptr || tile == selected_) {
        return;
    }
    if (selected_ != nullptr) {
        QueueSwap(selected_, false);
    }
    previous_ = selected_;
    selected_ = tile;
    QueueSwap(tile, true);
}

void CameraAnimator::Unselect(f32 centre_x) {
    std::lock_guard guard(lock_);
    if (selected_ != nullptr) {
        QueueSwap(selected_, false);
        previous_ = selected_;
        selected_ = nullptr;
    }
    target_z_ = kFreeDepth;
    centre_x_ = core::clamp(centre_x, 0.0f, static_cast<f32>(maximum_centre_));
}

void CameraAnimator::Forget(const ISceneNode* tile) {
    std::lock_guard guard(lock_);
    if (selected_ == tile) {
        selected_ = nullptr;
        target_z_ = kFreeDepth;
    }
    if (previous_ == tile) {
        previous_ = nullptr;
    }
    std::erase_if(swaps_, [tile](const Swap& swap) { return swap.tile == tile; });
}

ISceneNode* CameraAnimator::PickTile(s32 x, s32 y) const {
    ISceneCollisionManager* collisions = scene_->getSceneCollisionManager();
    if (collisions == nullptr) {
        return nullptr;
    }
    ISceneNode* root = wall_ != nullptr ? wall_->WallRoot() : nullptr;
    return collisions->getSceneNodeFromScreenCoordinatesBB(core::position2di(x, y), -1, false, root);
}

int CameraAnimator::ClickKind(s32 x, s32 y) {
    std::lock_guard guard(lock_);
    ICameraSceneNode* camera = camera_.load();
    if (camera == nullptr) {
        return 0;
    }
    ISceneNode* picked = PickTile(x, y);
    if (picked == nullptr) {
        return 0;
    }
    if (picked != selected_) {
        return 1;
    }
    const core::vector3df position = camera->getPosition();
    const core::vector3df target = camera->getTarget();
    const bool settled = position.Z == kSelectedDepth && target.X == position.X && target.Y == position.Y;
    return settled ? 2 : 1;
}

bool CameraAnimator::OnEvent(const SEvent& event) {
    if (event.EventType != EET_MOUSE_INPUT_EVENT) {
        return false;
    }
    std::lock_guard guard(lock_);
    if (event.MouseInput.Event == EMIE_LMOUSE_LEFT_UP) {
        dragging_ = false;
    } else if (event.MouseInput.Event == EMIE_LMOUSE_PRESSED_DOWN && camera_.load() != nullptr) {
        PressAt(event.MouseInput.X, event.MouseInput.Y);
    }
    return false;
}

void CameraAnimator::PressAt(s32 x, s32 y) {
    ISceneNode* picked = PickTile(x, y);
    previous_ = selected_;
    if (picked != nullptr && picked->getType() == ESNT_CUBE && picked != selected_) {
        if (selected_ != nullptr) {
            QueueSwap(selected_, false);  // the old tile returns to the wall with its wall texture
        }
        selected_ = picked;
        QueueSwap(picked, true);
    } else {
        target_z_ = kFreeDepth;
        if (picked != selected_) {
            previous_ = selected_;
            if (selected_ != nullptr) {
                QueueSwap(selected_, false);
            }
            selected_ = nullptr;
        }
    }
    dragging_ = true;
    last_cursor_ = core::position2di(x, y);
}

void CameraAnimator::QueueSwap(ISceneNode* tile, bool enlarge) {
    swaps_.push_back({tile, enlarge});
}

void CameraAnimator::ApplyTextureSwaps() {
    std::lock_guard guard(lock_);
    for (const Swap& swap : swaps_) {
        if (wall_ == nullptr || !wall_->IsTile(swap.tile)) {
            continue;
        }
        if (swap.enlarge) {
            wall_->Enlarge(swap.tile);
        } else {
            wall_->Restore(swap.tile);
        }
    }
    swaps_.clear();
}

core::position2di CameraAnimator::CursorNow() const {
    if (cursor_) {
        return cursor_();
    }
    gui::ICursorControl* cursor = device_ != nullptr ? device_->getCursorControl() : nullptr;
    return cursor != nullptr ? cursor->getPosition() : last_cursor_;
}

void CameraAnimator::Animate(ISceneNode* node, u32 time_ms) {
    if (node == nullptr || node->getType() != ESNT_CAMERA) {
        return;
    }
    std::lock_guard guard(lock_);
    auto* camera = static_cast<ICameraSceneNode*>(node);
    camera_.store(camera);
    ApplyTextureSwaps();

    core::vector3df p = camera->getPosition();
    core::vector3df t = camera->getTarget();
    if (start_x_) {
        p.X = *start_x_;
        t.X = *start_x_;
        start_x_.reset();
    }
    f32 dt = static_cast<f32>(time_ms - last_time_ms_) / 1000.0f;
    if (dt > 1.0f) {
        dt = kLongPauseStep_s;
    }

    // Drag: the view follows the cursor along the wall, within the wall.
    if (dragging_ && selected_ == nullptr) {
        const core::position2di cursor = CursorNow();
        const s32 dx = last_cursor_.X - cursor.X;
        last_cursor_ = cursor;
        centre_x_ += static_cast<f32>(dx) * kDragGain;
        centre_x_ = core::clamp(centre_x_, 0.0f, static_cast<f32>(maximum_centre_));
    }
    if (selected_ != nullptr) {
        centre_x_ = selected_->getAbsolutePosition().X;
    }

    // The target eases towards the centre and waits when it would overshoot; the camera eases
    // towards the target and, arriving, settles on the centre, the target with it.
    t.X = Ease(t.X, centre_x_, 50.0f, dt, t.X);
    camera_x_speed_ = EaseSpeed(p.X, t.X, 80.0f);
    if (p.X == centre_x_) {
        t.X = centre_x_;
    } else {
        p.X = Ease(p.X, t.X, 80.0f, dt, centre_x_);
    }

    // Height: the selected tile's row, else the middle of the wall.
    const f32 goal_y = selected_ != nullptr ? selected_->getAbsolutePosition().Y : 0.0f;
    p.Y = Ease(p.Y, goal_y, 80.0f, dt, goal_y);
    t.Y = p.Y;

    // Depth: closer while dragging, closest in front of a selected tile.
    if (dragging_) {
        target_z_ = kFreeDepth;
    }
    if (selected_ != nullptr) {
        target_z_ = kSelectedDepth;
    }
    p.Z = Ease(p.Z, target_z_, 20.0f, dt, target_z_);

    camera->setPosition(p);
    camera->setTarget(t);

    // The previous tile goes back into the wall (z 0, it never stays in front of it), the selected
    // one out to its depth (never behind it); in this order, so that the selected one wins when
    // both are the same tile.
    if (previous_ != nullptr) {
        MoveTileTo(previous_, std::max(SlideStep(previous_->getAbsolutePosition().Z, 0.0f, 80.0f, dt), 0.0f));
    }
    if (selected_ != nullptr) {
        const f32 z = SlideStep(selected_->getAbsolutePosition().Z, kTileOutDepth, 5.0f, dt);
        MoveTileTo(selected_, std::min(z, kTileOutDepth));
    }

    last_time_ms_ = time_ms;
}

}  // namespace irr::scene

namespace halvix {

irr::SEvent LeftPressEvent(int x, int y) {
    irr::SEvent event{};
    event.EventType = irr::EET_MOUSE_INPUT_EVENT;
    event.MouseInput.Event = irr::EMIE_LMOUSE_PRESSED_DOWN;
    event.MouseInput.X = x;
    event.MouseInput.Y = y;
    event.MouseInput.ButtonStates = irr::EMBSM_LEFT;
    return event;
}

}  // namespace halvix
