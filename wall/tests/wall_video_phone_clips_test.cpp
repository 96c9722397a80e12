// The clips guests bring on their phones, made at test time with GStreamer: MP4, Matroska and WebM
// files become tiles, and a portrait clip stored on its side with a turn in its track is grabbed
// the right way up and keeps its shape in its thumbnail.
#include <gtest/gtest.h>

#include <QImage>
#include <QTransform>
#include <filesystem>
#include "media_probe.h"
#include "platform/native_path.h"
#include "test_folder.h"
#include "test_videos.h"
#include "video/movie_control.h"

namespace {

namespace fs = std::filesystem;

// The mean difference per colour channel of two pictures of one size.
double Difference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); y += 2) {
        for (int x = 0; x < a.width(); x += 2) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * ((a.width() + 1) / 2) * ((a.height() + 1) / 2));
}

bool Black(QRgb pixel) {
    return qRed(pixel) < 16 && qGreen(pixel) < 16 && qBlue(pixel) < 16;
}

TEST(WallPhoneClips, ClipsOfTodaysPhonesBecomeUprightTilesInTheirShape) {
    vantor_test::TestFolder folder;
    const fs::path show = folder.path() / "show";
    fs::create_directories(show);
    // Stored 320 x 180 on its side; shown 180 x 320. The same pictures without the turn beside it.
    vantor_test::VideoSpec spec;
    spec.seconds_x10 = 120;
    spec.width = 320;
    spec.height = 180;
    spec.fps = 5;
    ASSERT_EQ(vantor_test::MakeTurnedMp4(show / "portrait.mp4", spec, 90), "");
    ASSERT_EQ(vantor_test::MakeTurnedMp4(folder.path() / "stored.mp4", spec, 0), "");
    ASSERT_EQ(vantor_test::MakeWebmOrMkv(show / "wide.mkv", spec), "");
    ASSERT_EQ(vantor_test::MakeWebmOrMkv(show / "clip.webm", spec), "");

    const zorvane::VideoGrab turned =
        zorvane::GrabVideoFrame((show / "portrait.mp4").string(), halvix::kThumbnailAt_ns);
    const zorvane::VideoGrab stored =
        zorvane::GrabVideoFrame((folder.path() / "stored.mp4").string(), halvix::kThumbnailAt_ns);
    ASSERT_TRUE(turned.has_video && stored.has_video) << turned.refusal << stored.refusal;
    ASSERT_EQ(turned.frame.size(), QSize(180, 320)) << "the clip was not turned upright";
    const QImage expected =
        stored.frame.transformed(QTransform().rotate(90)).convertToFormat(turned.frame.format());
    EXPECT_LT(Difference(turned.frame, expected), 12) << "turned the wrong way";

    halvix::CMovieControl movies;
    movies.LoadFolder(vantor::FromNativePath(show.string()));
    EXPECT_EQ(movies.ThumbnailList().size(), 3u);
    const QImage portrait(QString::fromStdString((show / "PORTRAIT.MP4.bmp").string()));
    ASSERT_EQ(portrait.size(), QSize(960, 720));
    EXPECT_TRUE(Black(portrait.pixel(200, 360)) && Black(portrait.pixel(760, 360)))
        << "no bars beside a portrait clip";
    EXPECT_FALSE(Black(portrait.pixel(480, 360)));
    const QImage wide(QString::fromStdString((show / "WIDE.MKV.bmp").string()));
    EXPECT_TRUE(Black(wide.pixel(700, 50)) && Black(wide.pixel(700, 670)))
        << "no bars above and below a 16:9 clip";
    EXPECT_FALSE(Black(wide.pixel(700, 360)));
    EXPECT_TRUE(fs::exists(show / "CLIP.WEBM.bmp"));
}

}  // namespace
