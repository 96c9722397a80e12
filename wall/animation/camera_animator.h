#pragma once
// CameraAnimator moves the wall's camera and keeps the selection. Attached to the only camera, it
// eases the view along the wall towards a centre x, follows a drag, flies to the selected tile and
// pushes that tile out of the wall towards the viewer; OnEvent takes the left-button presses the
// window forwards, picks the tile under the point and changes the selection.
//
// Threads:
//  - animateNode (Animate) runs on the render thread inside the drawing of a frame, under the scene
//    lock. It first applies the texture swaps that selection changes asked for, since only the
//    render thread may touch textures.
//  - OnEvent, ClickKind, Select and SetCenter may run on the window thread or a loader thread;
//    they take the scene lock themselves (it is recursive, so callers already holding it are
//    fine). Picking reads only the scene and the camera matrices of the last frame: no graphics.
#include <atomic>
#include <functional>
#include <optional>
#include <vector>
#include "engine/irr_engine.h"
#include "engine/irr_ptr.h"
#include "engine/lock_ref.h"

namespace irr {
class IrrlichtDevice;
}
namespace halvix {
class CWallManager;
}

namespace irr::scene {

class ICameraSceneNode;
class ISceneManager;

class CameraAnimator : public ISceneNodeAnimator {
  public:
    // The window point of the cursor, read every frame while dragging.
    using CursorSource = std::function<core::position2di()>;

    // Depths of the camera and of the selected tile.
    static constexpr f32 kFreeDepth = -700.0f;
    static constexpr f32 kStartDepth = -1700.0f;
    static constexpr f32 kSelectedDepth = -450.0f;
    static constexpr f32 kTileOutDepth = -180.0f;

    static irr_ptr<CameraAnimator> Create(IrrlichtDevice* device, ISceneManager* scene, u32 now_ms);
    CameraAnimator(const CameraAnimator&) = delete;
    CameraAnimator& operator=(const CameraAnimator&) = delete;
    CameraAnimator(CameraAnimator&&) = delete;
    CameraAnimator& operator=(CameraAnimator&&) = delete;

    void SetLock(halvix::LockRef lock) { lock_ = lock; }
    // The wall whose tiles are picked and whose textures are swapped.
    void SetWall(halvix::CWallManager* wall) { wall_ = wall; }
    // Replaces the device's cursor control as the source of the drag position.
    void SetCursorSource(CursorSource source) { cursor_ = std::move(source); }

    // Centres the view on c (half the wall length) and forgets the selection, without swaps.
    void SetCenter(f32 c);
    // Puts the camera and its target at x along the wall in the next frame, from where they glide
    // to the centre as usual: a new folder's wall is entered at its start, wherever the old wall
    // had taken the camera.
    void StartAt(f32 x);
    // Makes `tile` the selected tile (the old one returns to the wall); no texture change.
    void Select(ISceneNode* tile);
    // The wall grew or shrank without a rebuild: the view may go as far as `length`; the selection
    // and the view stay.
    void SetLength(f32 length);
    // Selects `tile` as a click on it would, enlarged picture and all, without the drag a click
    // starts; the old selection returns to the wall.
    void Show(ISceneNode* tile);
    // Returns the selected tile to the wall as a click beside the wall would, and eases the view
    // back to `centre_x`.
    void Unselect(f32 centre_x);
    // The tile is about to leave the wall: it is neither selected nor returning any longer, and no
    // texture swap is left for it.
    void Forget(const ISceneNode* tile);
    // 0: no tile under the window point; 1: a tile that is not the selected one, or the selected
    // one while the camera still moves; 2: the selected tile with the camera settled in front of it.
    int ClickKind(s32 x, s32 y);

    // ISceneNodeAnimator
    void animateNode(ISceneNode* node, u32 time_ms) override { Animate(node, time_ms); }
    ISceneNodeAnimator* createClone(ISceneNode* node, ISceneManager* new_manager = 0) override;
    bool isEventReceiverEnabled() const override { return true; }
    // Never consumes the event.
    bool OnEvent(const SEvent& event) override;

    void Animate(ISceneNode* node, u32 time_ms);

    // Applies queued texture swaps now (render thread, under the scene lock). Animate does it.
    void ApplyTextureSwaps();

    // State, for the window and for tests.
    ISceneNode* Selected() const { return selected_; }
    ISceneNode* Previous() const { return previous_; }
    bool IsDragging() const { return dragging_; }
    void StopDragging() { dragging_ = false; }
    f32 CentreX() const { return centre_x_; }
    s32 MaximumCentre() const { return maximum_centre_; }
    f32 TargetZ() const { return target_z_; }
    f32 CameraXSpeed() const { return camera_x_speed_; }

  private:
    CameraAnimator(IrrlichtDevice* device, ISceneManager* scene, u32 now_ms);

    void PressAt(s32 x, s32 y);
    ISceneNode* PickTile(s32 x, s32 y) const;
    core::position2di CursorNow() const;
    void QueueSwap(ISceneNode* tile, bool enlarge);

    IrrlichtDevice* device_;
    ISceneManager* scene_;
    halvix::CWallManager* wall_ = nullptr;
    halvix::LockRef lock_;
    CursorSource cursor_;

    u32 last_time_ms_;
    f32 centre_x_ = 0.0f;
    s32 maximum_centre_ = 0;
    f32 target_z_ = kStartDepth;
    f32 camera_x_speed_ = 0.0f;
    bool dragging_ = false;
    core::position2di last_cursor_;
    ISceneNode* selected_ = nullptr;
    ISceneNode* previous_ = nullptr;
    std::atomic<ICameraSceneNode*> camera_{nullptr};  // seen by the last frame; clicks wait for it

    struct Swap {
        ISceneNode* tile;  // checked against the wall's tiles before use
        bool enlarge;
    };
    std::vector<Swap> swaps_;     // guarded by the scene lock
    std::optional<f32> start_x_;  // guarded by the scene lock; applied by the next frame
};

}  // namespace irr::scene

namespace halvix {

// The left-button press at a window point, as the camera animator's OnEvent takes it.
irr::SEvent LeftPressEvent(int x, int y);

}  // namespace halvix
