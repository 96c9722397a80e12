// The live wall in its window on a real X display: pictures that appear in the folder shown join
// the wall without a rebuild or the pause screen and are announced; pictures still being written,
// deleted, broken or not files at all never become tiles; tiles whose files go leave; a folder
// filled at once, a flood of notices and the folder itself going end with the wall showing exactly
// the folder's complete pictures, and no file touched.
#include <QBuffer>
#include <QThread>
#include <sys/stat.h>
#include <atomic>
#include <fstream>
#include <set>
#include <thread>
#include "app/live_wall.h"
#include "launcher/wall_launcher.h"
#include "wall_window_fixture.h"

namespace {

using namespace wall_window_test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

class LiveWallTest : public WallWindowTest {
  protected:
    void Configure(WallServices& services) override {
        services.live = LiveSettings{true, true, 6s};
        services.liveSettle = 600ms;
        services.prepareTile = {};
    }
    std::set<std::string> TileNames() {
        std::set<std::string> names;
        for (irr::scene::ISceneNode* tile : Tiles()) {
            names.insert(tile->getName());
        }
        return names;
    }
    // `count` pictures written to the folder, the folder shown and watched.
    void ShowWatched(const fs::path& folder, int count) {
        WritePictures(folder, count);
        ShowFolder(folder);
        ASSERT_TRUE(WaitUntil([&] { return window_->Live()->Watching(); }));
    }
    irr::scene::ISceneNode* TileNamed(const std::string& name) {
        WallLockGuard lock(window_->Lock());
        return window_->SceneHost()->Wall()->TileNamed(name);
    }
    // The folder's pictures, as the wall should show them.
    static std::set<std::string> PicturesIn(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.is_regular_file() && entry.path().extension() == ".jpg") {
                names.insert(entry.path().filename().string());
            }
        }
        return names;
    }
    // Names, sizes and times of everything in the folder.
    static std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> Untouched(
        const fs::path& folder) {
        std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
        for (const auto& entry : fs::directory_iterator(folder)) {
            files[entry.path().filename().string()] = {entry.is_regular_file() ? entry.file_size() : 0,
                                                       entry.last_write_time()};
        }
        return files;
    }
    // A picture written under a temporary name and renamed into place, as the station saves.
    static void Arrive(const fs::path& folder, const std::string& name, int hue) {
        const fs::path staging = folder.parent_path() / "staging";
        WritePictures(staging, 1, "s");
        QImage picture(QString::fromStdString((staging / "s10.jpg").string()));
        picture.fill(QColor::fromHsv(hue, 255, 230));
        picture.save(QString::fromStdString((folder / (".writing-" + name)).string()), "JPG", 90);
        fs::rename(folder / (".writing-" + name), folder / name);
    }
    // Frames are read while waiting: the pause screen (no folder shown) must never come.
    bool WaitShowing(const std::function<bool()>& done, int timeout_ms = 10000) {
        return WaitUntil(
            [&] {
                paused_ = paused_ || window_->CurrentFolder().IsEmpty();
                return done();
            },
            timeout_ms);
    }
    bool paused_ = false;
};

TEST_F(LiveWallTest, ANewPictureFliesOntoTheWallWithoutARebuildAndIsAnnounced) {
    const fs::path folder = pictures_.path() / "WithTemplate";
    ASSERT_NO_FATAL_FAILURE(ShowWatched(folder, 5));
    const int rebuilds = window_->RebuildCount();
    std::map<std::string, irr::core::vector3df> before;
    for (irr::scene::ISceneNode* tile : Tiles()) {
        before[tile->getName()] = tile->getAbsolutePosition();
    }
    const float centre = window_->SceneHost()->Animator()->CentreX();

    Arrive(folder, "z1.jpg", 120);  // green
    ASSERT_TRUE(WaitShowing([&] { return TileNames().contains("z1.jpg"); }, 2000))
        << "not on the wall in 2 s";
    EXPECT_FALSE(paused_) << "the wall went through its pause screen";
    EXPECT_EQ(window_->RebuildCount(), rebuilds);
    for (irr::scene::ISceneNode* tile : Tiles()) {
        if (before.contains(tile->getName())) {
            EXPECT_EQ(tile->getAbsolutePosition().X, before[tile->getName()].X) << tile->getName();
            EXPECT_EQ(tile->getAbsolutePosition().Y, before[tile->getName()].Y) << tile->getName();
        }
    }
    // Five tiles stood three above, two below: the sixth takes the bottom row's next place.
    irr::scene::ISceneNode* added = TileNamed("z1.jpg");
    {
        WallLockGuard lock(window_->Lock());
        EXPECT_EQ(added->getPosition().X, 2 * kColumnPitch);
        EXPECT_EQ(added->getPosition().Y, kBottomRowY);
    }

    // The announcement: the camera flies to the enlarged picture, which fills the middle of the
    // screen (read from the frames drawn).
    ASSERT_TRUE(WaitUntil([&] { return Selected() == added; }));
    QImage frame;
    const bool shown = WaitShowing(
        [&] {
            frame = window_->CaptureFrame();
            const QColor middle =
                frame.isNull() ? QColor() : frame.pixelColor(frame.width() / 2, frame.height() / 2);
            return Selected() == added && std::abs(middle.hsvHue() - 120) <= 12 && middle.value() > 150;
        },
        8000);
    KeepShot(frame, "live_announced");
    EXPECT_TRUE(shown) << "the screen's middle never showed the new picture";
    // Then the wall goes on where it was.
    ASSERT_TRUE(WaitShowing([&] { return Selected() == nullptr; }, 12000));
    EXPECT_EQ(window_->SceneHost()->Animator()->CentreX(), centre);
    EXPECT_FALSE(paused_);
}

TEST_F(LiveWallTest, PicturesStillWrittenBrokenOrNotFilesNeverBecomeTiles) {
    const fs::path folder = pictures_.path() / "day";
    ASSERT_NO_FATAL_FAILURE(ShowWatched(folder, 2));

    // A copy over a slow network: half a picture, its writer still at work.
    QByteArray whole;
    {
        QImage picture(1200, 900, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QBuffer buffer(&whole);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "JPG", 95);
    }
    std::ofstream slow(folder / "slow.jpg", std::ios::binary);
    slow.write(whole.constData(), whole.size() / 2);
    slow.flush();
    // Deleted right after it came, a pipe and a folder named like pictures, a broken picture.
    Arrive(folder, "brief.jpg", 200);
    fs::remove(folder / "brief.jpg");
    ASSERT_EQ(::mkfifo((folder / "pipe.jpg").c_str(), 0600), 0);
    fs::create_directory(folder / "folder.jpg");
    std::ofstream(folder / "broken.jpg") << "not a picture";
    const auto files = Untouched(folder);
    window_->Live()->Poke();

    EXPECT_FALSE(WaitUntil([&] { return TileNames().size() != 2u; }, 3000))
        << "a tile of an incomplete picture";
    slow.write(whole.constData() + whole.size() / 2, whole.size() - whole.size() / 2);
    slow.close();
    EXPECT_TRUE(WaitUntil([&] { return TileNames().contains("slow.jpg"); }, 3000));
    EXPECT_EQ(TileNames(), (std::set<std::string>{"p10.jpg", "p11.jpg", "slow.jpg"}));
    auto now = Untouched(folder);
    now.erase("slow.jpg");
    auto then = files;
    then.erase("slow.jpg");
    EXPECT_EQ(now, then) << "the wall touched a file";
}

TEST_F(LiveWallTest, TilesWhoseFilesGoLeaveAndTheSelectionWithThem) {
    const fs::path folder = pictures_.path() / "day";
    ASSERT_NO_FATAL_FAILURE(ShowWatched(folder, 4));
    irr::scene::ISceneNode* chosen = TileNamed("p11.jpg");
    ASSERT_TRUE(WaitUntil([&] { return CameraPosition().Z == irr::scene::CameraAnimator::kFreeDepth; }));
    Click(OnScreen(chosen));
    ASSERT_EQ(Selected(), chosen);

    fs::remove(folder / "p11.jpg");
    fs::rename(folder / "p12.jpg", folder / "q12.jpg");
    EXPECT_TRUE(WaitShowing([&] {
        return TileNames() == std::set<std::string>{"p10.jpg", "p13.jpg", "q12.jpg"};
    }));
    // The new name's picture may be announced meanwhile; a gone one is never selected.
    irr::scene::ISceneNode* selected = Selected();
    EXPECT_TRUE(selected == nullptr || std::string(selected->getName()) == "q12.jpg")
        << "the selection names a picture that is gone";
    EXPECT_FALSE(paused_);
    irr::scene::ISceneNode* previous = window_->SceneHost()->Animator()->Previous();
    EXPECT_TRUE(previous == nullptr || std::string(previous->getName()) == "q12.jpg");
}

TEST_F(LiveWallTest, FiveHundredPicturesAtOnceAndAFloodOfNoticesEndWithTheFolderShown) {
    const fs::path folder = pictures_.path() / "day";
    ASSERT_NO_FATAL_FAILURE(ShowWatched(folder, 3));
    const fs::path elsewhere = pictures_.path() / "camera";
    fs::create_directories(elsewhere);
    QImage small(160, 120, QImage::Format_RGB32);
    for (int i = 0; i < 500; ++i) {
        small.fill(QColor::fromHsv(i % 360, 255, 200));
        small.save(QString::fromStdString((elsewhere / ("m" + std::to_string(1000 + i) + ".jpg")).string()),
                   "JPG");
    }
    std::atomic<int> notices{0};
    halvix_test::WhileServing([&] {
        std::thread flood([&] {
            for (int i = 0; i < 300; ++i) {
                notices += vantor::SendProgramMessage(u"Lumarin", vantor::kWallNewPictureMessage) ? 1 : 0;
            }
        });
        for (const auto& entry : fs::directory_iterator(elsewhere)) {
            fs::rename(entry.path(), folder / entry.path().filename());
        }
        flood.join();
    });
    EXPECT_EQ(notices, 300) << "the endpoint stopped answering";
    const auto expected = PicturesIn(folder);
    ASSERT_EQ(expected.size(), 503u);
    EXPECT_TRUE(WaitShowing([&] { return TileNames() == expected; }, 60000))
        << TileNames().size() << " tiles for 503 pictures";
    EXPECT_EQ(Tiles().size(), 503u) << "a picture became two tiles";
    EXPECT_LE(window_->Live()->Announced().Waiting(), Announcements::kMaxWaiting);
    EXPECT_FALSE(paused_);
}

TEST_F(LiveWallTest, TheFolderGoingWhileShownEmptiesTheWallUntilItComesBack) {
    const fs::path folder = pictures_.path() / "day";
    ASSERT_NO_FATAL_FAILURE(ShowWatched(folder, 3));
    const auto files = Untouched(folder);

    fs::rename(folder, pictures_.path() / "moved");
    EXPECT_TRUE(WaitUntil([&] { return Tiles().empty(); }));
    EXPECT_EQ(Untouched(pictures_.path() / "moved"), files);
    fs::rename(pictures_.path() / "moved", folder);
    EXPECT_TRUE(WaitUntil([&] { return TileNames().size() == 3u; }, 8000));
    Arrive(folder, "late.jpg", 60);
    EXPECT_TRUE(WaitUntil([&] { return TileNames().contains("late.jpg"); }, 4000))
        << "the folder is not watched again";
    fs::remove_all(folder);
    EXPECT_TRUE(WaitUntil([&] { return Tiles().empty(); }));
    EXPECT_TRUE(window_->WallRunning());
}

}  // namespace
