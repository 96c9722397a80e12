// Looking into files without playing them, on real GStreamer with videos made for the test:
// which files the library accepts as decodable video (and that it accepts none before
// Initialize), and the picture grabbed at a position.
#include <gtest/gtest.h>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include "gst_media_graph.h"
#include "media_probe.h"
#include "test_folder.h"
#include "test_videos.h"
#include "video_library.h"
#include "video_test_support.h"

using vantor_test::VideoSpec;
using video_test::Logic;
using zorvane::VideoLibrary;

namespace {

constexpr std::int64_t kSecond_ns = 1'000'000'000;

std::string Bytes(const std::filesystem::path& file, std::size_t at_most = std::string::npos) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes.substr(0, at_most);
}

// The share of sampled pixels whose colour differs clearly between the two pictures.
double ChangedShare(const QImage& a, const QImage& b) {
    int changed = 0;
    int sampled = 0;
    for (int y = 0; y < a.height(); y += 2) {
        for (int x = 0; x < a.width(); x += 2) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int difference =
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
            changed += difference > 60 ? 1 : 0;
            ++sampled;
        }
    }
    return static_cast<double>(changed) / sampled;
}

VideoLibrary MakeLibrary() {
    return VideoLibrary([](std::uintptr_t window) { return zorvane::GstMediaGraph::Create(window); });
}

class VideoProbe : public ::testing::Test {
  protected:
    std::filesystem::path File(const std::string& name) const { return folder_.path() / name; }

    vantor_test::TestFolder folder_;
};

TEST_F(VideoProbe, VideosDecodableHereAreAcceptedOnceInitialised) {
    const auto avi = File("mjpeg.avi");
    const auto mov = File("h264.mov");
    const auto with_sound = File("with sound.avi");
    const auto mov_with_sound = File("h264 with sound.mov");
    ASSERT_EQ(vantor_test::MakeMjpegAvi(avi, VideoSpec{.seconds_x10 = 20}), "");
    ASSERT_EQ(vantor_test::MakeH264Mov(mov, VideoSpec{.seconds_x10 = 20}), "");
    ASSERT_EQ(vantor_test::MakeMjpegAvi(with_sound, VideoSpec{.seconds_x10 = 20, .with_sound = true}), "");
    ASSERT_EQ(vantor_test::MakeH264Mov(mov_with_sound, VideoSpec{.seconds_x10 = 20, .with_sound = true}), "");

    VideoLibrary library = MakeLibrary();
    EXPECT_FALSE(library.IsFileCanBeDecoded(Logic(avi))) << "accepted before Initialize";
    library.Initialize();
    EXPECT_TRUE(library.IsFileCanBeDecoded(Logic(avi)));
    EXPECT_TRUE(library.IsFileCanBeDecoded(Logic(mov)));
    EXPECT_TRUE(library.IsFileCanBeDecoded(Logic(with_sound)));
    EXPECT_TRUE(library.IsFileCanBeDecoded(Logic(mov_with_sound)));

    // The host asks from worker threads too.
    auto on_worker = std::async(std::launch::async, [&] { return library.IsFileCanBeDecoded(Logic(mov)); });
    auto on_another = std::async(std::launch::async, [&] { return library.IsFileCanBeDecoded(Logic(avi)); });
    EXPECT_TRUE(on_worker.get());
    EXPECT_TRUE(on_another.get());
}

TEST_F(VideoProbe, FilesWithoutADecodableVideoAreRefused) {
    const auto good = File("good.avi");
    ASSERT_EQ(vantor_test::MakeMjpegAvi(good, VideoSpec{.seconds_x10 = 30}), "");
    ASSERT_EQ(vantor_test::MakeSoundOnly(File("sound.wav"), 20), "");
    ASSERT_EQ(vantor_test::MakeSoundOnly(File("sound only.avi"), 20), "");
    folder_.Write("text.avi", "This is not a video, only a note with the wrong name.\n");
    folder_.Write("empty.avi", "");
    folder_.Write("truncated.avi", Bytes(good, 2048));
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(QString::fromStdString(File("picture.avi").string()), "JPG"));

    VideoLibrary library = MakeLibrary();
    library.Initialize();
    ASSERT_TRUE(library.IsFileCanBeDecoded(Logic(good))) << "the good file the truncated one comes from";
    for (const char* name : {"sound.wav", "sound only.avi", "text.avi", "empty.avi", "truncated.avi",
                             "missing.avi", "picture.avi"}) {
        EXPECT_FALSE(library.IsFileCanBeDecoded(Logic(File(name)))) << name;
    }
    EXPECT_FALSE(library.IsFileCanBeDecoded(u"")) << "an empty path";
}

TEST_F(VideoProbe, AGrabTakesThePictureAtTheAskedTime) {
    const auto twelve = File("twelve.avi");
    const auto five = File("five.mov");
    const auto sound = File("sound.wav");
    ASSERT_EQ(vantor_test::MakeMjpegAvi(twelve, VideoSpec{.seconds_x10 = 120, .width = 320, .height = 240}),
              "");
    ASSERT_EQ(vantor_test::MakeH264Mov(five, VideoSpec{.seconds_x10 = 50, .width = 160, .height = 96}), "");
    ASSERT_EQ(vantor_test::MakeSoundOnly(sound, 30), "");

    const zorvane::VideoGrab late = zorvane::GrabVideoFrame(twelve.string(), 10 * kSecond_ns);
    ASSERT_TRUE(late.has_video);
    EXPECT_EQ(late.width, 320);
    EXPECT_EQ(late.height, 240);
    EXPECT_GT(late.duration_ns, 10 * kSecond_ns);
    EXPECT_LE(late.duration_ns, 12 * kSecond_ns);
    ASSERT_FALSE(late.frame.isNull()) << "no picture at 10 s of a 12 s video";
    EXPECT_EQ(late.frame.size(), QSize(320, 240));

    const zorvane::VideoGrab early = zorvane::GrabVideoFrame(twelve.string(), kSecond_ns / 2);
    ASSERT_FALSE(early.frame.isNull());
    EXPECT_EQ(early.frame.size(), QSize(320, 240));
    EXPECT_GT(ChangedShare(early.frame, late.frame), 0.002) << "the ball did not move between 0.5 s and 10 s";
    // The same position gives the same picture (a colour-accurate decode, not a nearby key frame).
    const zorvane::VideoGrab again = zorvane::GrabVideoFrame(twelve.string(), 10 * kSecond_ns);
    ASSERT_FALSE(again.frame.isNull());
    EXPECT_LT(ChangedShare(again.frame, late.frame), 0.001);

    const zorvane::VideoGrab short_one = zorvane::GrabVideoFrame(five.string(), 10 * kSecond_ns);
    EXPECT_TRUE(short_one.has_video);
    EXPECT_EQ(short_one.width, 160);
    EXPECT_EQ(short_one.height, 96);
    EXPECT_TRUE(short_one.frame.isNull()) << "a picture at 10 s of a 5 s video";
    const zorvane::VideoGrab inside = zorvane::GrabVideoFrame(five.string(), 4 * kSecond_ns);
    EXPECT_EQ(inside.frame.size(), QSize(160, 96));

    const zorvane::VideoGrab silent = zorvane::GrabVideoFrame(sound.string(), 0);
    EXPECT_FALSE(silent.has_video);
    EXPECT_TRUE(silent.frame.isNull());
    EXPECT_FALSE(zorvane::GrabVideoFrame((folder_.path() / "missing.avi").string(), 0).has_video);
}

}  // namespace
