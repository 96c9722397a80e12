// Voice paths and the main window's mouse handlers: which click plays which voice message and
// which click starts or leaves a video.
#include <gtest/gtest.h>
#include <mutex>
#include "animation/camera_animator.h"
#include "animation/voice_path.h"
#include "animation/wall_mouse.h"
#include "platform/native_path.h"
#include "scene/wall_manager.h"
#include "test_folder.h"
#include "wall_scene_fixture.h"

using halvix::VoicePath;
using irr::core::position2di;
using irr::scene::CameraAnimator;

TEST(WallAnimationVoice, PathsFollowTheStorageLayout) {
    EXPECT_EQ(VoicePath(u"D:\\event\\Storage\\2024-3-5\\WithTemplate", u"12-5-3.jpg"),
              tstring(u"D:\\event\\Storage\\2024-3-5\\Audio\\12-5-3.wav"));
    // An extra station's sign-in keeps its number in the voice file's name.
    EXPECT_EQ(VoicePath(u"D:\\event\\Storage\\2024-3-5\\WithTemplate", u"12-5-3~2.jpg"),
              tstring(u"D:\\event\\Storage\\2024-3-5\\Audio\\12-5-3~2.wav"));
    EXPECT_EQ(VoicePath(u"D:\\event\\lottery\\draw1", u"12-5-3.jpg"),
              tstring(u"D:\\event\\Storage\\Audio\\12-5-3.wav"));
    EXPECT_EQ(VoicePath(u"\\srv\\lottery\\2024-3-5\\一等奖", u"9-1-1.jpg"),
              tstring(u"\\srv\\Storage\\2024-3-5\\Audio\\9-1-1.wav"));
    // Only the lower-case "jpg" turns into "wav"; a folder without "WithTemplate" is used as it is.
    EXPECT_EQ(VoicePath(u"\\pics\\", u"A.JPG"), tstring(u"\\pics\\A.JPG"));
    EXPECT_EQ(VoicePath(u"\\pics\\", u"jpg.jpg"), tstring(u"\\pics\\wav.wav"));
    EXPECT_EQ(VoicePath(u"lottery", u"a.jpg"), tstring());  // no folder to take the audio from
}

namespace {

class FakeVideo : public halvix::WallVideo {
  public:
    bool IsShown() const override { return shown; }
    bool VideoRectContains(QPoint p) const override { return p.x() < 100 && p.y() < 100; }
    bool IsStopping() const override { return stopping; }
    void Stop() override {
        ++stops;
        shown = false;
    }
    void ShowEngineWindow() override { ++engine_shown; }
    bool IsThumbnail(const tstring& upper_path) const override { return upper_path == thumbnail; }
    void Start(const tstring& video_path) override { started.push_back(video_path); }

    bool shown = false;
    bool stopping = false;
    int stops = 0;
    int engine_shown = 0;
    tstring thumbnail;
    std::vector<tstring> started;
};

const std::string kGbk = "\xD5\xC5\xC8\xFD";

class WallAnimationMouse : public ::testing::Test {
  protected:
    void SetUp() override {
        day = folder.path() / "Storage" / "2026-1-2";
        wall_test::WritePicture(day / "WithTemplate" / "10-0-0.jpg", 320, 240);
        wall_test::WritePicture(day / "WithTemplate" / "11-0-0.jpg", 320, 240);
        wall_test::WritePicture(day / "WithTemplate" / "clip.avi.jpg", 320, 240);
        folder.Write("Storage/2026-1-2/Audio/10-0-0.wav", "RIFF");
        // A name in GBK bytes (张三), as extracted from an archive made on Windows, with its voice.
        folder.Write("Storage/2026-1-2/WithTemplate/" + kGbk + ".jpg", wall_test::JpegOf(320, 240));
        folder.Write("Storage/2026-1-2/Audio/" + kGbk + ".wav", "RIFF");
        shown_folder = vantor::FromNativePath((day / "WithTemplate").string());
        wall.SetFolder(shown_folder);
        animator->SetCenter(wall.Build() / 2.0f);
        animator->SetWall(&wall);
        animator->SetLock(halvix::LockRef(lock));
        Frames(300);

        halvix::WallMouseSetup setup;
        setup.animator = animator.get();
        setup.lock = halvix::LockRef(lock);
        setup.video = &video;
        setup.current_folder = [this] { return shown_folder; };
        setup.clock_ms = [this] { return clock_ms; };
        setup.play_sound = [this](const tstring& path) { sounds.push_back(path); };
        setup.screen_width = [] { return 800; };
        mouse = std::make_unique<halvix::WallMouse>(setup);
    }
    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            now_ms += 30;
            animator->Animate(null_scene.camera, now_ms);
            null_scene.camera->updateAbsolutePosition();
            null_scene.camera->render();
        }
    }
    QPoint PointOf(const char* name) {
        for (irr::scene::ISceneNode* tile : wall.Tiles()) {
            if (std::string(tile->getName()) == name) {
                const position2di p =
                    null_scene.scene->getSceneCollisionManager()->getScreenCoordinatesFrom3DPosition(
                        tile->getAbsolutePosition(), null_scene.camera);
                return {p.X, p.Y};
            }
        }
        ADD_FAILURE() << name;
        return {};
    }
    const char* SelectedName() const {
        return animator->Selected() != nullptr ? animator->Selected()->getName() : "";
    }

    wall_test::NullScene null_scene;
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope keep_working_folder{std::filesystem::current_path()};
    std::filesystem::path day;
    tstring shown_folder;
    halvix::CWallManager wall{null_scene.device.get()};
    std::recursive_mutex lock;
    irr_ptr<CameraAnimator> animator = CameraAnimator::Create(null_scene.device.get(), null_scene.scene, 0);
    FakeVideo video;
    std::int64_t clock_ms = 100000;
    std::vector<tstring> sounds;
    std::unique_ptr<halvix::WallMouse> mouse;
    irr::u32 now_ms = 0;
};

}  // namespace

TEST_F(WallAnimationMouse, AClickSelectsAndPlaysTheVoiceMessageWhenThereIsOne) {
    mouse->LeftDown(PointOf("10-0-0.jpg"));
    EXPECT_STREQ(SelectedName(), "10-0-0.jpg");
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0], shown_folder.Left(shown_folder.GetLength() - 12) + u"Audio\\10-0-0.wav");
    mouse->LeftUp();
    EXPECT_FALSE(animator->IsDragging());

    // A second click while the camera still flies plays the message again.
    mouse->LeftDown(PointOf("10-0-0.jpg"));
    EXPECT_EQ(sounds.size(), 2u);

    // No voice file: silence.
    mouse->LeftDown(PointOf("11-0-0.jpg"));
    EXPECT_STREQ(SelectedName(), "11-0-0.jpg");
    EXPECT_EQ(sounds.size(), 2u);
    EXPECT_TRUE(video.started.empty());
}

TEST_F(WallAnimationMouse, APictureNamedInGbkBytesPlaysItsOwnVoiceMessage) {
    const std::string name = kGbk + ".jpg";
    mouse->LeftDown(PointOf(name.c_str()));
    EXPECT_EQ(std::string(SelectedName()), name);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(vantor::ToNativePath(sounds[0]), (day / "Audio" / (kGbk + ".wav")).string());
}

TEST_F(WallAnimationMouse, ASettledThumbnailStartsItsVideo) {
    video.thumbnail = shown_folder + u"\\clip.avi.jpg";
    video.thumbnail.MakeUpper();
    mouse->LeftDown(PointOf("clip.avi.jpg"));
    ASSERT_STREQ(SelectedName(), "clip.avi.jpg");
    Frames(1500);
    mouse->LeftDown(PointOf("clip.avi.jpg"));
    ASSERT_EQ(video.started.size(), 1u);
    EXPECT_EQ(video.started[0], shown_folder + u"\\clip.avi");

    video.stopping = true;  // a stop is under way: no new start
    mouse->LeftDown(PointOf("clip.avi.jpg"));
    EXPECT_EQ(video.started.size(), 1u);
}

TEST_F(WallAnimationMouse, LeavingAVideoWaitsAfterTheLastClick) {
    mouse->LeftDown(PointOf("10-0-0.jpg"));
    video.shown = true;
    mouse->SetLastClickTicks(clock_ms);

    mouse->LeftDown({50, 50});  // inside the video
    mouse->LeftDown({600, 500});
    clock_ms += 1999;
    mouse->LeftDown({600, 500});
    EXPECT_EQ(video.stops, 0);
    EXPECT_STREQ(SelectedName(), "10-0-0.jpg");

    clock_ms += 1;
    mouse->LeftDown({600, 500});
    EXPECT_EQ(video.stops, 1);
    EXPECT_EQ(video.engine_shown, 1);
    EXPECT_EQ(mouse->LastClickTicks(), clock_ms);
    EXPECT_EQ(animator->Selected(), nullptr);  // the press went above the wall
}

TEST_F(WallAnimationMouse, ReturnToTheWall) {
    mouse->ReturnToWall();  // nothing selected: nothing happens
    EXPECT_EQ(video.stops, 0);

    mouse->LeftDown(PointOf("11-0-0.jpg"));
    video.shown = true;
    mouse->SetLastClickTicks(clock_ms - 3999);
    mouse->ReturnToWall();
    EXPECT_STREQ(SelectedName(), "11-0-0.jpg");

    clock_ms += 1;
    mouse->ReturnToWall();
    EXPECT_EQ(video.stops, 1);
    EXPECT_EQ(animator->Selected(), nullptr);
    EXPECT_FALSE(animator->IsDragging());
}
