// Videos on the real wall: thumbnails made on a folder load, a second click on a settled video
// tile plays it over the tile, the position slider follows, the end loops, a click outside leaves,
// and a folder change stops the video and deletes the thumbnails.
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <fstream>
#include "controls/button_st.h"
#include "controls/my_slider_control.h"
#include "test_videos.h"
#include "video/movie_control.h"
#include "video/video_panel.h"
#include "wall_window_fixture.h"
#include "zorvane.h"

using namespace halvix;
using halvix_test::WaitUntil;
namespace fs = std::filesystem;

namespace {

void WritePicture(const fs::path& file, QColor colour) {
    QImage picture(1200, 900, QImage::Format_RGB32);
    picture.fill(colour);
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "JPG", 90));
}

// The screen behind a rectangle of the window.
QImage ScreenAt(QWidget* window, QRect rect) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, window->x() + rect.x(), window->y() + rect.y(), rect.width(), rect.height())
        .toImage();
}

double Difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) {
        return 1.0;
    }
    long differing = 0;
    long total = 0;
    for (int y = 0; y < a.height(); y += 3) {
        for (int x = 0; x < a.width(); x += 3) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            differing += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) > 60 ? 1 : 0;
            ++total;
        }
    }
    return static_cast<double>(differing) / static_cast<double>(total);
}

class WallVideoTest : public wall_window_test::WallWindowTest {
  protected:
    WallVideoTest() { show_timeout_ms_ = 60000; }
    void Configure(WallServices& services) override {
        services.processorClock_ms = [this] { return clock_ms_.load(); };
        services.workArea = QRect(0, 0, 1600, 900);
        services.screenWidth = 1600;
    }

    void MakeFolder(const fs::path& folder) {
        fs::create_directories(folder);
        WritePicture(folder / "p1.jpg", QColor(200, 40, 40));
        WritePicture(folder / "p2.jpg", QColor(40, 200, 40));
        vantor_test::VideoSpec twelve;
        twelve.seconds_x10 = 120;
        ASSERT_EQ(vantor_test::MakeMjpegAvi(folder / "clip.avi", twelve), "");
        ASSERT_EQ(vantor_test::MakeH264Mov(folder / "CLIP.MOV", twelve), "");
        vantor_test::VideoSpec five;
        five.seconds_x10 = 50;
        ASSERT_EQ(vantor_test::MakeMjpegAvi(folder / "short.avi", five), "");
        ASSERT_EQ(vantor_test::MakeSoundOnly(folder / "song.wav", 20), "");
        // Files that only look like videos.
        ASSERT_EQ(vantor_test::MakeSoundOnly(folder / "voice.avi", 20), "");
        std::ofstream(folder / "notes.wmv") << "not a video at all";
        std::ofstream(folder / "empty.mpg");
        std::ifstream whole(folder / "CLIP.MOV", std::ios::binary);
        std::string head(2048, '\0');
        whole.read(head.data(), static_cast<std::streamsize>(head.size()));
        std::ofstream(folder / "cut.mov", std::ios::binary) << head;
    }
    irr::scene::ISceneNode* TileNamed(const char* name) {
        for (irr::scene::ISceneNode* tile : Tiles()) {
            if (std::string(tile->getName()) == name) {
                return tile;
            }
        }
        return nullptr;
    }
    std::vector<std::string> TileNames() {
        std::vector<std::string> names;
        for (irr::scene::ISceneNode* tile : Tiles()) {
            names.emplace_back(tile->getName());
        }
        return names;
    }
    bool Settled() {
        const QPoint centre(window_->width() / 2, window_->height() / 2);
        return window_->SceneHost()->Animator()->ClickKind(centre.x(), centre.y()) == 2;
    }
    // Selects the tile, waits until the camera has settled on it and clicks it again.
    void PlayTile(const char* name) {
        irr::scene::ISceneNode* tile = TileNamed(name);
        ASSERT_NE(tile, nullptr) << name;
        // Once the camera has glided back from the pause screen the tile stays where it is seen.
        ASSERT_TRUE(WaitUntil([&] { return std::abs(CameraPosition().Z + 700.0f) < 1.0f; }, 20000));
        Click(OnScreen(tile));
        ASSERT_TRUE(WaitUntil([&] { return Selected() == tile; }, 5000)) << name << " was not selected";
        ASSERT_TRUE(WaitUntil([&] { return Settled(); }, 30000)) << "the camera never settled on " << name;
        Click(QPoint(window_->width() / 2, window_->height() / 2));
        ASSERT_TRUE(window_->Video()->IsShown());
    }

    std::atomic<std::int64_t> clock_ms_{100000};
};

TEST_F(WallVideoTest, VideosBecomeTilesPlayOverTheirTileLoopAndLeave) {
    const fs::path folder = pictures_.path() / "show";
    MakeFolder(folder);
    ShowFolder(folder);

    // Thumbnails of the two long videos; the short one is listed without a tile; sound is no video.
    EXPECT_TRUE(fs::exists(folder / "CLIP.avi.bmp"));
    EXPECT_TRUE(fs::exists(folder / "CLIP.MOV.bmp"));
    EXPECT_FALSE(fs::exists(folder / "SHORT.avi.bmp"));
    const std::vector<tstring> listed = window_->Movies()->ThumbnailList();
    EXPECT_EQ(listed.size(), 3u);
    const QImage thumbnail(QString::fromStdString((folder / "CLIP.avi.bmp").string()));
    EXPECT_EQ(thumbnail.size(), QSize(kThumbnailWidth, kThumbnailHeight));
    std::vector<std::string> names = TileNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"CLIP.MOV.bmp", "CLIP.avi.bmp", "p1.jpg", "p2.jpg"}));

    PlayTile("CLIP.avi.bmp");
    VideoPanel* video = window_->Video();
    const QRect rect = video->VideoRect();
    EXPECT_GT(rect.width(), 300);
    EXPECT_GT(rect.height(), 200);
    EXPECT_EQ(video->ButtonState(), PlayButtonState::Playing);
    EXPECT_EQ(video->PositionSlider()->maximum(), 12);
    EXPECT_TRUE(video->PositionSlider()->isVisible());
    EXPECT_EQ(vpGetPlayState(), VPPS_PLAYING);

    // The picture moves on the screen and the slider follows the position.
    const QRect inner = rect.adjusted(10, 10, -10, -10);
    const QImage first = ScreenAt(window_.get(), inner);
    ASSERT_TRUE(WaitUntil([&] { return video->PositionSlider()->value() >= 2; }, 15000));
    const QImage later = ScreenAt(window_.get(), inner);
    EXPECT_GT(Difference(first, later), 0.002) << "the video's picture did not change";
    later.save(QString::fromStdString((vantor_test::ScreenshotFolder() / "wall_video_playing.png").string()));
    ScreenAt(window_.get(), window_->rect())
        .save(QString::fromStdString((vantor_test::ScreenshotFolder() / "wall_video_screen.png").string()));

    // Clicking inside the video, or outside it within two seconds, changes nothing.
    Click(rect.center());
    EXPECT_TRUE(video->IsShown());
    clock_ms_ += 1999;
    Click(QPoint(5, 5));
    EXPECT_TRUE(video->IsShown());

    // Near the end: the video starts again from the beginning.
    video->PositionSlider()->setSliderPosition(11);
    video->PositionSlider()->triggerAction(QAbstractSlider::SliderMove);
    ASSERT_TRUE(WaitUntil([&] { return video->PositionSlider()->value() >= 11; }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return video->PositionSlider()->value() <= 1; }, 15000))
        << "the video did not loop";
    EXPECT_EQ(vpGetPlayState(), VPPS_PLAYING);

    // The file deleted under the playing video: it plays on from what is open.
    fs::remove(folder / "clip.avi");
    video->PositionSlider()->setSliderPosition(6);
    video->PositionSlider()->triggerAction(QAbstractSlider::SliderMove);
    ASSERT_TRUE(WaitUntil([&] { return video->PositionSlider()->value() >= 7; }, 5000));

    video->PlayPauseButton()->click();
    EXPECT_EQ(video->ButtonState(), PlayButtonState::Paused);
    EXPECT_EQ(vpGetPlayState(), VPPS_IDLE);
    video->PlayPauseButton()->click();
    EXPECT_EQ(video->ButtonState(), PlayButtonState::Playing);

    // A click outside after two seconds leaves the video and deselects.
    clock_ms_ += 1;
    Click(QPoint(5, 5));
    EXPECT_FALSE(video->IsShown());
    ASSERT_TRUE(
        WaitUntil([&] { return !video->IsStopping() && video->ButtonState() == PlayButtonState::Stopped; }));
    EXPECT_FALSE(video->PositionSlider()->isVisible());
    EXPECT_FALSE(video->VideoWindow()->isVisible());
    EXPECT_EQ(vpGetPlayState(), VPPS_NOMEDIA);
    EXPECT_TRUE(window_->Renderer().Running());
}

TEST_F(WallVideoTest, AFolderChangeStopsTheVideoAndDeletesTheThumbnails) {
    const fs::path folder = pictures_.path() / "first";
    MakeFolder(folder);
    ShowFolder(folder);
    PlayTile("CLIP.MOV.bmp");

    const fs::path other = pictures_.path() / "second";
    fs::create_directories(other);
    WritePicture(other / "only.jpg", QColor(40, 40, 200));
    ShowFolder(other);
    EXPECT_FALSE(window_->Video()->IsShown());
    EXPECT_FALSE(fs::exists(folder / "CLIP.avi.bmp"));
    EXPECT_FALSE(fs::exists(folder / "CLIP.MOV.bmp"));
    EXPECT_TRUE(fs::exists(folder / "clip.avi"));
    EXPECT_TRUE(window_->Movies()->ThumbnailList().empty());
    EXPECT_EQ(TileNames(), std::vector<std::string>{"only.jpg"});
}

// A thumbnail that cannot be written (here a folder stands where it would go, which stops even
// root) gives no tile; nothing of the user's is deleted afterwards.
TEST_F(WallVideoTest, AThumbnailThatCannotBeWrittenGivesNoTileAndNothingIsDeleted) {
    const fs::path folder = pictures_.path() / "blocked";
    MakeFolder(folder);
    fs::create_directories(folder / "CLIP.avi.bmp");
    ShowFolder(folder);
    std::vector<std::string> names = TileNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"CLIP.MOV.bmp", "p1.jpg", "p2.jpg"}));

    const fs::path other = pictures_.path() / "next";
    fs::create_directories(other);
    ShowFolder(other);
    EXPECT_TRUE(fs::is_directory(folder / "CLIP.avi.bmp"));
    EXPECT_FALSE(fs::exists(folder / "CLIP.MOV.bmp"));
}

TEST_F(WallVideoTest, ClosingTheWallDeletesTheThumbnails) {
    const fs::path folder = pictures_.path() / "closing";
    MakeFolder(folder);
    ShowFolder(folder);
    PlayTile("CLIP.avi.bmp");
    ASSERT_TRUE(fs::exists(folder / "CLIP.avi.bmp"));
    window_->close();
    window_.reset();
    EXPECT_FALSE(fs::exists(folder / "CLIP.avi.bmp"));
    EXPECT_FALSE(fs::exists(folder / "CLIP.MOV.bmp"));
    EXPECT_EQ(vpGetPlayState(), VPPS_NOMEDIA);
}

}  // namespace
