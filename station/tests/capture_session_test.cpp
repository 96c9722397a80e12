// One sign-in without its window: what the photo keeps, what the save writes, and that a save
// either writes both pictures or leaves the guest on screen to try again with nothing counted.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <vector>
#include "camera/camera_settings.h"
#include "capture/sign_in.h"
#include "pen/alpha_pen.h"
#include "file_size_limit.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;

QImage Solid(QSize size, QColor colour, double ratio = 1.0) {
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(colour);
    picture.setDevicePixelRatio(ratio);
    return picture;
}

// Files whose names show they are left-over temporary files.
std::vector<fs::path> LeftOvers(const fs::path& root) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".part")) {
            found.push_back(entry.path());
        }
    }
    return found;
}

class SignInSession : public ::testing::Test {
  protected:
    void SetUp() override {
        CAlphaPen::ResetSharedPositions();
        clock_.Set({2026, 12, 8, 9, 5, 7});
        sign_in_.SetPreviewRect(QRect(0, 0, 320, 240));
    }

    // A photo one second after the last action; the preview copy notes whether the photo already
    // counted as captured when the copy was taken.
    SignIn::PhotoResult Photo(QImage frame, QColor preview = Qt::green) {
        clock_.AdvanceSeconds(1);
        return sign_in_.TakePhoto(
            false, [frame] { return frame; },
            [this, preview] {
                captured_during_copy_ = sign_in_.IsCaptured();
                return Solid(QSize(320, 240), preview);
            });
    }
    SignIn::SaveResult Save() {
        clock_.AdvanceSeconds(1);
        return sign_in_.Save([this] { return sign_in_.InkedStill(); });
    }
    fs::path Day() const { return folder_.path() / "Storage" / "2026-12-8"; }
    QImage Read(const fs::path& file) const { return QImage(QString::fromStdString(file.string())); }
    void Stroke(QPoint from, QPoint to) {
        sign_in_.PenDown(from);
        sign_in_.PenMove(to, true);
        sign_in_.PenUp();
    }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_{folder_.path()};
    vantor::ManualClock clock_;
    GuestCounter guests_;
    std::vector<tstring> sounds_;
    SignIn sign_in_{clock_, guests_, SignInStore(), [this](const tstring& path) { sounds_.push_back(path); }};
    bool captured_during_copy_ = true;
};

TEST_F(SignInSession, APhotoShowsTheLivePictureNeverTheGuestBefore) {
    ASSERT_EQ(Photo(Solid(QSize(64, 48), Qt::red), Qt::green), SignIn::PhotoResult::Taken);
    EXPECT_FALSE(captured_during_copy_) << "the preview must be copied before the photo shows";
    Stroke({10, 10}, {100, 10});
    ASSERT_EQ(Save(), SignIn::SaveResult::Saved);
    EXPECT_TRUE(sign_in_.Still().isNull()) << "nothing of a saved guest stays in memory";
    EXPECT_TRUE(sign_in_.Strokes().empty());

    ASSERT_EQ(Photo(QImage(), Qt::blue), SignIn::PhotoResult::Taken);
    EXPECT_FALSE(captured_during_copy_);
    EXPECT_EQ(sign_in_.InkedStill().pixelColor(50, 100), QColor(Qt::blue));
    EXPECT_EQ(sign_in_.InkedStill().pixelColor(50, 10), QColor(Qt::blue)) << "no ink of the guest before";
    sign_in_.Discard();
    EXPECT_TRUE(sign_in_.Still().isNull());

    EXPECT_EQ(sounds_, (std::vector<tstring>{u"Sound\\cap.wav", u"Sound\\save.wav", u"Sound\\cap.wav"}));
    // The same second refuses; a photo during the save animation too.
    EXPECT_EQ(sign_in_.TakePhoto(false, {}, {}), SignIn::PhotoResult::Refused);
    clock_.AdvanceSeconds(1);
    EXPECT_EQ(sign_in_.TakePhoto(true, {}, {}), SignIn::PhotoResult::Refused);
}

TEST_F(SignInSession, BothPicturesOrNoneAndTheGuestCanTryAgain) {
    ASSERT_EQ(Photo(Solid(QSize(64, 48), Qt::red)), SignIn::PhotoResult::Taken);
    Stroke({10, 10}, {100, 10});
    // WithTemplate cannot be written: the plain photo written first must go again.
    folder_.Write("Storage/2026-12-8/WithTemplate", "a file where the folder should be");
    EXPECT_EQ(Save(), SignIn::SaveResult::NotSaved);
    EXPECT_TRUE(sign_in_.IsCaptured());
    EXPECT_EQ(sign_in_.Strokes().size(), 1u) << "the handwriting stays for the retry";
    EXPECT_EQ(guests_.Count(), 0);
    EXPECT_TRUE(fs::exists(folder_.path() / "temp.jpg"));
    EXPECT_TRUE(fs::is_empty(Day() / "NoTemplate"));
    EXPECT_TRUE(sign_in_.LastSavedPicture().IsEmpty());

    fs::remove(Day() / "WithTemplate");
    ASSERT_EQ(Save(), SignIn::SaveResult::Saved);
    EXPECT_EQ(guests_.Count(), 1);
    EXPECT_EQ(sign_in_.LastSavedPicture(), u"Storage\\2026-12-8\\WithTemplate\\9-5-10.jpg");
    EXPECT_EQ(Read(Day() / "WithTemplate" / "9-5-10.jpg").size(), QSize(320, 240));
    EXPECT_EQ(Read(Day() / "NoTemplate" / "9-5-10.jpg").size(), QSize(64, 48));
    EXPECT_TRUE(fs::is_directory(Day() / "Audio"));
    EXPECT_FALSE(fs::exists(folder_.path() / "temp.jpg"));
    ASSERT_TRUE(sign_in_.LastSaved().has_value());
    EXPECT_EQ(sign_in_.LastSaved()->voice, u"Storage\\2026-12-8\\Audio\\9-5-10.wav");
}

TEST_F(SignInSession, APlainPhotoThatCannotBeWrittenKeepsEverything) {
    ASSERT_EQ(Photo(Solid(QSize(64, 48), Qt::red)), SignIn::PhotoResult::Taken);
    folder_.Write("Storage/2026-12-8/NoTemplate", "a file where the folder should be");
    EXPECT_EQ(Save(), SignIn::SaveResult::NotSaved);
    EXPECT_TRUE(sign_in_.IsCaptured());
    EXPECT_EQ(guests_.Count(), 0);
    EXPECT_TRUE(fs::is_empty(Day() / "WithTemplate"));
    EXPECT_FALSE(Read(folder_.path() / "temp.jpg").isNull()) << "the photo in progress is kept";
}

TEST_F(SignInSession, ADayFolderThatLostItsSubFoldersGetsThemBack) {
    fs::create_directories(Day() / "NoTemplate");
    ASSERT_EQ(Photo(Solid(QSize(64, 48), Qt::red)), SignIn::PhotoResult::Taken);
    ASSERT_EQ(Save(), SignIn::SaveResult::Saved);
    EXPECT_TRUE(fs::exists(Day() / "WithTemplate" / "9-5-9.jpg"));
    EXPECT_TRUE(fs::exists(Day() / "NoTemplate" / "9-5-9.jpg"));
    EXPECT_TRUE(fs::is_directory(Day() / "Audio"));
}

TEST_F(SignInSession, AStaleTempJpgIsNeverTakenForTheGuestsPhoto) {
    const QImage earlier = Solid(QSize(40, 30), Qt::yellow);
    ASSERT_TRUE(earlier.save(QString::fromStdString((folder_.path() / "temp.jpg").string()), "JPG"));
    ASSERT_EQ(Photo(QImage()), SignIn::PhotoResult::Taken);  // no camera frame
    EXPECT_FALSE(fs::exists(folder_.path() / "temp.jpg"));
    ASSERT_EQ(Save(), SignIn::SaveResult::Saved);
    EXPECT_TRUE(fs::exists(Day() / "WithTemplate" / "9-5-9.jpg"));
    EXPECT_TRUE(fs::is_empty(Day() / "NoTemplate"));
}

TEST_F(SignInSession, AClockSetBackNeverOverwritesAnEarlierGuest) {
    folder_.Write("Storage/2026-12-8/WithTemplate/9-5-9.jpg", "earlier guest");
    folder_.Write("Storage/2026-12-8/Audio/9-5-10.wav", "earlier voice");
    ASSERT_EQ(Photo(Solid(QSize(64, 48), Qt::red)), SignIn::PhotoResult::Taken);
    ASSERT_EQ(Save(), SignIn::SaveResult::Saved);  // at 9:05:09
    EXPECT_EQ(folder_.Read("Storage/2026-12-8/WithTemplate/9-5-9.jpg"), "earlier guest");
    EXPECT_EQ(sign_in_.LastSavedPicture(), u"Storage\\2026-12-8\\WithTemplate\\9-5-11.jpg");
    EXPECT_TRUE(fs::exists(Day() / "NoTemplate" / "9-5-11.jpg"));
    EXPECT_FALSE(fs::exists(Day() / "NoTemplate" / "9-5-9.jpg"));
}

TEST_F(SignInSession, AFullDiskLeavesNoBrokenPictureAndKeepsThePhoto) {
    ASSERT_EQ(Photo(Solid(QSize(640, 480), Qt::red)), SignIn::PhotoResult::Taken);
    const std::string photo = folder_.Read("temp.jpg");
    ASSERT_GT(photo.size(), 1000u);
    fs::create_directories(Day() / "WithTemplate");
    fs::create_directories(Day() / "NoTemplate");
    fs::create_directories(Day() / "Audio");
    {
        const vantor_test::FileSizeLimit full_disk(200);
        EXPECT_EQ(Save(), SignIn::SaveResult::NotSaved);
    }
    EXPECT_TRUE(fs::is_empty(Day() / "WithTemplate"));
    EXPECT_TRUE(fs::is_empty(Day() / "NoTemplate")) << "no 0-byte picture under a final name";
    EXPECT_EQ(folder_.Read("temp.jpg"), photo);
    EXPECT_TRUE(LeftOvers(folder_.path()).empty());
    EXPECT_EQ(guests_.Count(), 0);

    ASSERT_EQ(Save(), SignIn::SaveResult::Saved);
    EXPECT_EQ(Read(Day() / "NoTemplate" / "9-5-10.jpg").size(), QSize(640, 480));
}

TEST_F(SignInSession, APhotoOnAFullDiskStillGivesThePlainPhotoLater) {
    {
        const vantor_test::FileSizeLimit full_disk(200);
        ASSERT_EQ(Photo(Solid(QSize(640, 480), Qt::red)), SignIn::PhotoResult::Taken);
    }
    EXPECT_FALSE(fs::exists(folder_.path() / "temp.jpg"));
    ASSERT_EQ(Save(), SignIn::SaveResult::Saved);
    EXPECT_EQ(Read(Day() / "NoTemplate" / "9-5-9.jpg").size(), QSize(640, 480));
    EXPECT_TRUE(LeftOvers(folder_.path()).empty());
}

TEST_F(SignInSession, ASaveWithoutAPhotoCountsAndWritesNothing) {
    EXPECT_EQ(Save(), SignIn::SaveResult::NoPhoto);
    EXPECT_EQ(guests_.Count(), 1);
    EXPECT_FALSE(fs::exists(folder_.path() / "Storage"));
    EXPECT_EQ(sign_in_.Save({}), SignIn::SaveResult::Refused) << "same second";
}

// The ink layer: live drawing and a replay give the same picture, and the still's own pixels
// (finer than window units on a scaled screen) get the ink where the pen was.
TEST(InkLayerTest, TheFirstSegmentAfterARebuildIsDrawnOnce) {
    CAlphaPen::ResetSharedPositions();
    const StrokeSegment segment{20, 40, 120, 40, kInkPen, 0x000000FF, 4};
    InkLayer layer;
    layer.SetStill(Solid(QSize(200, 100), Qt::white));
    layer.Add(segment);
    const QImage live = layer.Picture().copy();

    CAlphaPen::ResetSharedPositions();
    QImage replayed = Solid(QSize(200, 100), Qt::white);
    ReplayStrokes(replayed, {segment});
    EXPECT_EQ(live, replayed);
}

TEST(InkLayerTest, InkLandsWhereThePenWasOnAScaledScreen) {
    CAlphaPen::ResetSharedPositions();
    InkLayer layer;
    layer.SetStill(Solid(QSize(400, 300), Qt::white, 2.0));  // 200 x 150 window units
    EXPECT_EQ(layer.Ratio(), 2.0);
    layer.Add({50, 100, 150, 100, kInkPen, 0, 3});
    const QImage& picture = layer.Picture();
    ASSERT_EQ(picture.size(), QSize(400, 300));
    EXPECT_LT(qGray(picture.pixel(200, 200)), 100) << "ink at twice the window position";
    EXPECT_EQ(picture.pixelColor(100, 100), QColor(Qt::white)) << "no ink at the unscaled position";
    EXPECT_EQ(picture.pixelColor(200, 230), QColor(Qt::white)) << "the tip is scaled, not more";
}

TEST(CameraSizeSetting, ASizeNoCameraHasCountsAsNotSet) {
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope scope(folder.path());
    folder.Write("Bin/config.ini", "[camera]\r\nwidth=2000000000\r\nheight=1080\r\n");
    const vantor::camera::CameraSize size = vantor::camera::ConfiguredCameraSize();
    EXPECT_EQ(size.width, 640);
    EXPECT_EQ(size.height, 1080);
    folder.Write("Bin/config.ini", "[camera]\r\nwidth=1920\r\nheight=99999\r\n");
    EXPECT_EQ(vantor::camera::ConfiguredCameraSize().height, 480);
}

}  // namespace
