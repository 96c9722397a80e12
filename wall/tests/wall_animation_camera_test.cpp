// The camera animator on Irrlicht's null device with a real wall: frame steps, drag limits,
// selection by picking, the settled state and the selected tile's texture swaps.
#include <gtest/gtest.h>
#include <cmath>
#include <mutex>
#include "animation/camera_animator.h"
#include "platform/native_path.h"
#include "scene/wall_manager.h"
#include "test_folder.h"
#include "wall_scene_fixture.h"

using irr::core::position2di;
using irr::core::vector3df;
using irr::scene::CameraAnimator;
using irr::scene::ISceneNode;

namespace {

class WallAnimationCamera : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"0.jpg", "1.jpg", "2.jpg", "3.jpg", "4.jpg"}) {
            wall_test::WritePicture(folder.path() / name, 640, 480);
        }
        wall.SetFolder(vantor::FromNativePath(folder.path().string()));
        length = wall.Build();
        animator->SetWall(&wall);
        animator->SetLock(halvix::LockRef(lock));
        animator->SetCursorSource([this] { return cursor; });
    }

    // One drawn frame at `time_ms`: the animator moves the camera, the camera takes its matrices.
    // A frame as the render thread draws it, with the enlarged picture asked for already decoded.
    void Frame(irr::u32 time_ms) {
        now_ms = time_ms;
        animator->Animate(camera, time_ms);
        wall.WaitEnlargeDecoded();
        wall.ApplyEnlarged();
        camera->updateAbsolutePosition();
        camera->render();
    }
    void Frames(int count, irr::u32 step_ms = 30) {
        for (int i = 0; i < count; ++i) {
            Frame(now_ms + step_ms);
        }
    }
    position2di ScreenPoint(ISceneNode* tile) {
        return scene->getSceneCollisionManager()->getScreenCoordinatesFrom3DPosition(
            tile->getAbsolutePosition(), camera);
    }
    void Press(position2di at) {
        irr::SEvent event{};
        event.EventType = irr::EET_MOUSE_INPUT_EVENT;
        event.MouseInput.Event = irr::EMIE_LMOUSE_PRESSED_DOWN;
        event.MouseInput.X = at.X;
        event.MouseInput.Y = at.Y;
        EXPECT_FALSE(animator->OnEvent(event));
    }
    void Release() {
        irr::SEvent event{};
        event.EventType = irr::EET_MOUSE_INPUT_EVENT;
        event.MouseInput.Event = irr::EMIE_LMOUSE_LEFT_UP;
        EXPECT_FALSE(animator->OnEvent(event));
    }
    int ClickKindOn(ISceneNode* tile) {
        const position2di at = ScreenPoint(tile);
        return animator->ClickKind(at.X, at.Y);
    }
    // Frames until ClickKind reports the selected tile as settled; false when it never does.
    bool SettleOn(ISceneNode* tile) {
        for (int i = 0; i < 3000; ++i) {
            Frames(1);
            if (ClickKindOn(tile) == 2) {
                return true;
            }
        }
        return false;
    }
    irr::video::ITexture* TextureOf(ISceneNode* tile) { return tile->getMaterial(0).getTexture(0); }

    wall_test::NullScene null_scene;
    irr::scene::ISceneManager* scene = null_scene.scene;
    irr::scene::ICameraSceneNode* camera = null_scene.camera;
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope keep_working_folder{std::filesystem::current_path()};
    halvix::CWallManager wall{null_scene.device.get()};
    std::recursive_mutex lock;
    irr_ptr<CameraAnimator> animator = CameraAnimator::Create(null_scene.device.get(), scene, 0);
    position2di cursor;
    irr::u32 now_ms = 0;
    int length = 0;
    const position2di off_wall{400, -2000};
};

}  // namespace

TEST_F(WallAnimationCamera, AFrameAfterALongPauseTakesOneShortStep) {
    animator->SetCenter(0);
    EXPECT_EQ(animator->TargetZ(), CameraAnimator::kFreeDepth);
    Frame(5000);  // five seconds after creation
    EXPECT_FLOAT_EQ(camera->getPosition().Z, -2500.0f + std::sqrt(1800.0f) * 20.0f * 0.02f);
    const float z = camera->getPosition().Z;
    Frame(5500);  // half a second later: a normal step
    EXPECT_FLOAT_EQ(camera->getPosition().Z, z + std::sqrt(-700.0f - z) * 20.0f * 0.5f);
}

TEST_F(WallAnimationCamera, ANewWallIsEnteredAtItsStartAndTheGlideIsUnchanged) {
    // The camera and target far along an old wall of 2 000 pictures.
    animator->SetCenter(299400.0f);
    camera->setPosition({299400.0f, 0.0f, -700.0f});
    camera->setTarget({299400.0f, 0.0f, 0.0f});
    Frames(5);
    ASSERT_EQ(camera->getPosition().X, 299400.0f);

    // The new wall: SetCenter then StartAt, as a folder load does; nothing moves before a frame.
    animator->SetCenter(length / 2.0f);
    animator->StartAt(0.0f);
    EXPECT_EQ(camera->getPosition().X, 299400.0f);
    Frame(now_ms + 20);
    // The first frame starts from x = 0 and takes the same step as a wall built from the start.
    EXPECT_FLOAT_EQ(camera->getTarget().X, std::sqrt(600.0f) * 50.0f * 0.02f);
    EXPECT_FLOAT_EQ(camera->getPosition().X, std::sqrt(camera->getTarget().X) * 80.0f * 0.02f);
    float before = camera->getPosition().X;
    for (int i = 0; i < 2000; ++i) {
        Frames(1);
        ASSERT_GE(camera->getPosition().X, before);  // over the new wall's pictures, towards its centre
        ASSERT_LE(camera->getPosition().X, 600.0f);
        before = camera->getPosition().X;
    }
    EXPECT_EQ(camera->getPosition().X, 600.0f);
}

TEST_F(WallAnimationCamera, TargetLeadsTheCameraAlongTheWall) {
    ASSERT_EQ(length, 1200);
    animator->SetCenter(length / 2.0f);
    EXPECT_EQ(animator->MaximumCentre(), 1200);
    Frame(20);
    // Target: 200 + sqrt(400) x 50 x 0.02; camera: sqrt(220) x 80 x 0.02 towards it.
    EXPECT_FLOAT_EQ(camera->getTarget().X, 220.0f);
    EXPECT_FLOAT_EQ(animator->CameraXSpeed(), std::sqrt(220.0f) * 80.0f);
    EXPECT_FLOAT_EQ(camera->getPosition().X, std::sqrt(220.0f) * 80.0f * 0.02f);
    EXPECT_EQ(camera->getTarget().Z, 0.0f);
    Frames(2000);
    EXPECT_EQ(camera->getPosition().X, 600.0f);
    EXPECT_EQ(camera->getTarget().X, 600.0f);
    EXPECT_EQ(camera->getPosition().Z, CameraAnimator::kFreeDepth);
}

TEST_F(WallAnimationCamera, DragStaysWithinTheWall) {
    animator->SetCenter(600);
    Frame(30);
    cursor = off_wall;
    Press(off_wall);  // nothing there: a drag starts
    EXPECT_TRUE(animator->IsDragging());
    cursor.X -= 1000;  // dragging left moves the view right
    Frames(1);
    EXPECT_EQ(animator->CentreX(), 1200.0f);
    cursor.X += 3000;
    Frames(1);
    EXPECT_EQ(animator->CentreX(), 0.0f);
    cursor.X -= 9;  // 9 pixels: 200 units
    Frames(1);
    EXPECT_FLOAT_EQ(animator->CentreX(), 200.0f);
    Release();
    EXPECT_FALSE(animator->IsDragging());
    cursor.X -= 100;
    Frames(1);
    EXPECT_FLOAT_EQ(animator->CentreX(), 200.0f);

    animator->SetCenter(0);  // a single column: nowhere to go
    Press(off_wall);
    cursor.X -= 500;
    Frames(1);
    EXPECT_EQ(animator->CentreX(), 0.0f);
}

TEST_F(WallAnimationCamera, ClicksWaitForTheFirstFrame) {
    animator->SetCenter(600);
    EXPECT_EQ(animator->ClickKind(400, 300), 0);
    Press({400, 300});
    EXPECT_EQ(animator->Selected(), nullptr);
    EXPECT_FALSE(animator->IsDragging());
}

TEST_F(WallAnimationCamera, SelectSettleAndReturnToTheWall) {
    animator->SetCenter(600);
    Frames(200);
    const auto tiles = wall.Tiles();
    ISceneNode* first = tiles[0];
    ISceneNode* second = tiles[1];
    irr::video::ITexture* second_small = TextureOf(second);
    irr::video::ITexture* first_small = TextureOf(first);

    EXPECT_EQ(animator->ClickKind(off_wall.X, off_wall.Y), 0);
    EXPECT_EQ(ClickKindOn(second), 1);
    Press(ScreenPoint(second));
    EXPECT_EQ(animator->Selected(), second);
    EXPECT_EQ(TextureOf(second), second_small);  // swapped by the render thread's next frame
    Frames(1);
    EXPECT_NE(TextureOf(second), second_small);
    EXPECT_EQ(second->getAbsolutePosition().Z, CameraAnimator::kTileOutDepth);  // out in one frame
    EXPECT_EQ(ClickKindOn(second), 1);                                          // still flying

    ASSERT_TRUE(SettleOn(second));
    EXPECT_EQ(camera->getPosition(), vector3df(600, 270, CameraAnimator::kSelectedDepth));
    EXPECT_EQ(camera->getTarget(), vector3df(600, 270, 0));

    // Clicking the selected tile keeps it.
    Press(ScreenPoint(second));
    EXPECT_EQ(animator->Selected(), second);

    // Another tile takes over in one click; the old one returns to the wall with its wall texture.
    Press(ScreenPoint(first));
    EXPECT_EQ(animator->Selected(), first);
    EXPECT_EQ(animator->Previous(), second);
    Frames(1);
    EXPECT_EQ(second->getAbsolutePosition().Z, 0.0f);
    EXPECT_EQ(TextureOf(second), second_small);
    EXPECT_NE(TextureOf(first), first_small);
    EXPECT_EQ(first->getAbsolutePosition().Z, CameraAnimator::kTileOutDepth);

    // A click beside the wall deselects.
    Press(off_wall);
    EXPECT_EQ(animator->Selected(), nullptr);
    EXPECT_EQ(animator->Previous(), first);
    EXPECT_EQ(animator->TargetZ(), CameraAnimator::kFreeDepth);
    Frames(1);
    EXPECT_EQ(first->getAbsolutePosition().Z, 0.0f);
    EXPECT_EQ(TextureOf(first), first_small);
}

TEST_F(WallAnimationCamera, SlideshowSelectAndRebuildChangeNoTextures) {
    animator->SetCenter(600);
    Frames(10);
    const auto tiles = wall.Tiles();
    irr::video::ITexture* small = TextureOf(tiles[2]);
    animator->Select(tiles[2]);
    animator->Select(nullptr);  // none: nothing changes
    EXPECT_EQ(animator->Selected(), tiles[2]);
    Frames(1);
    EXPECT_EQ(TextureOf(tiles[2]), small);
    EXPECT_EQ(tiles[2]->getAbsolutePosition().Z, CameraAnimator::kTileOutDepth);

    Press(ScreenPoint(tiles[0]));  // queues swaps for both tiles ...
    animator->SetCenter(0);        // ... which a rebuild makes void
    EXPECT_EQ(animator->Selected(), nullptr);
    EXPECT_EQ(animator->Previous(), nullptr);
    irr::video::ITexture* first_small = TextureOf(tiles[0]);
    Frames(1);
    EXPECT_EQ(TextureOf(tiles[0]), first_small);
}

TEST_F(WallAnimationCamera, UnreadableLargePictureKeepsTheSmallTexture) {
    animator->SetCenter(600);
    Frames(200);
    ISceneNode* tile = wall.Tiles()[1];
    irr::video::ITexture* small = TextureOf(tile);
    std::filesystem::remove(folder.path() / tile->getName());
    Press(ScreenPoint(tile));
    Frames(1);
    EXPECT_EQ(animator->Selected(), tile);
    EXPECT_EQ(TextureOf(tile), small);
    ASSERT_TRUE(SettleOn(tile));
}
