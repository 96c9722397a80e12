// Playing real files through the library with the GStreamer graph (pictures decoded and dropped in
// time, no window): loading, playing, seeking, the end of a file reported once to the host window
// and playing again from the start, replacing the file while it plays, volume, files that cannot
// play and the end of the player.
#include <gtest/gtest.h>
#include <QWidget>
#include <filesystem>
#include <memory>
#include "gst_media_graph.h"
#include "test_folder.h"
#include "test_videos.h"
#include "ui_wait.h"
#include "video_library.h"
#include "video_test_support.h"

using vantor_test::VideoSpec;
using vantor_test::WaitUntil;
using video_test::HostWindow;
using video_test::Logic;
using zorvane::VideoLibrary;

namespace {

constexpr int kPlayTimeout_ms = 20000;

class VideoPlayback : public ::testing::Test {
  protected:
    void SetUp() override {
        host_.resize(400, 300);
        video_ = new HostWindow(&host_);
        video_->setGeometry(0, 0, 320, 240);
        host_.show();
        // The host answers "events waiting" at once, as the wall does.
        host_.AnswerGraphNotify([this] { answers_.push_back(library_.HandleGraphEvent()); });
        library_.Initialize();
        library_.Attach(video_);
    }
    void TearDown() override { library_.Quit(); }

    std::filesystem::path File(const std::string& name) const { return folder_.path() / name; }

    int Ends() const { return host_.Count(kVpEndOfMediaMessage); }

    // Runs the event loop until the file has ended `count` times in all.
    bool WaitForEnds(int count) {
        return WaitUntil([&] { return Ends() >= count; }, kPlayTimeout_ms);
    }
    bool WaitForPosition(std::int32_t at_least) {
        return WaitUntil([&] { return library_.CurrentPosition() >= at_least; }, kPlayTimeout_ms);
    }
    // For checks that something does not happen: runs the event loop and the graph's events until
    // `happened` holds (true) or the time is up (false), so a fault shows as soon as it happens.
    template <typename Predicate>
    bool HappensWithin(int milliseconds, Predicate happened) {
        return WaitUntil(
            [&] {
                library_.HandleGraphEvent();
                return happened();
            },
            milliseconds);
    }

    vantor_test::TestFolder folder_;
    VideoLibrary library_{[](std::uintptr_t) { return zorvane::GstMediaGraph::Create(0); }};
    std::vector<std::int32_t> answers_;
    HostWindow host_;
    HostWindow* video_ = nullptr;  // owned by host_
};

TEST_F(VideoPlayback, AFilePlaysSeeksEndsOnceAndStartsAgain) {
    const auto file = File("ball.avi");
    ASSERT_EQ(vantor_test::MakeMjpegAvi(file, VideoSpec{.seconds_x10 = 50}), "");

    library_.Load(Logic(file));
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
    EXPECT_EQ(library_.TotalTime(), 5);
    EXPECT_EQ(library_.CurrentPosition(), 0);
    EXPECT_EQ(library_.Volume(), 0) << "a file without sound";

    library_.Play();
    EXPECT_EQ(library_.PlayState(), VPPS_PLAYING);
    ASSERT_TRUE(WaitForPosition(1)) << "the position did not advance";
    EXPECT_GT(host_.Count(kVpGraphNotifyMessage), 0) << "the host was never told that events wait";
    for (std::int32_t answer : answers_) {
        EXPECT_EQ(answer, kVpNoEventWaiting);
    }

    library_.SetCurrentPosition(3);
    ASSERT_TRUE(WaitUntil([&] { return library_.CurrentPosition() == 3 || Ends() > 0; }, kPlayTimeout_ms));
    EXPECT_EQ(Ends(), 0) << "ended before the seek took effect";
    ASSERT_TRUE(WaitForEnds(1)) << "no end-of-media message";
    EXPECT_EQ(library_.PlayState(), VPPS_PLAYING) << "the end of the file is no command";
    EXPECT_FALSE(HappensWithin(500, [&] { return Ends() > 1; })) << "one end reported more than once";

    // The host loops the film: back to the start, which plays to the end again.
    library_.SetCurrentPosition(0);
    ASSERT_TRUE(WaitUntil([&] { return library_.CurrentPosition() == 0; }, kPlayTimeout_ms));
    ASSERT_TRUE(WaitForPosition(1)) << "playing did not resume after the seek to the start";
    ASSERT_TRUE(WaitForEnds(2)) << "the second run did not end";
    EXPECT_FALSE(HappensWithin(500, [&] { return Ends() > 2; })) << "the second end reported twice";
    for (const video_test::ReceivedMessage& message : host_.Messages()) {
        EXPECT_TRUE(message.message == kVpGraphNotifyMessage || message.message == kVpEndOfMediaMessage)
            << message.message;
    }
    EXPECT_TRUE(video_->Messages().empty()) << "messages went to the video window instead of its parent";

    library_.Quit();
    EXPECT_EQ(library_.PlayState(), VPPS_NOMEDIA);
    library_.Quit();
    EXPECT_EQ(library_.PlayState(), VPPS_NOMEDIA);
    EXPECT_EQ(library_.TotalTime(), 0);
}

TEST_F(VideoPlayback, PauseAndStopHoldThePosition) {
    const auto file = File("h264.mov");
    ASSERT_EQ(vantor_test::MakeH264Mov(file, VideoSpec{.seconds_x10 = 40}), "");
    library_.Load(Logic(file));
    EXPECT_EQ(library_.TotalTime(), 4);
    library_.Play();
    ASSERT_TRUE(WaitForPosition(1));
    library_.Pause();
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
    const std::int32_t paused_at = library_.CurrentPosition();
    EXPECT_FALSE(HappensWithin(1200, [&] { return library_.CurrentPosition() != paused_at; }))
        << "a paused player moved on";
    library_.Stop();
    EXPECT_FALSE(HappensWithin(300, [&] { return library_.CurrentPosition() != paused_at; }))
        << "stop keeps the place";
    library_.Play();
    ASSERT_TRUE(WaitForEnds(1));
    EXPECT_FALSE(HappensWithin(300, [&] { return Ends() > 1; }));
}

TEST_F(VideoPlayback, LongFilesTellWholeSecondsAndSeekToTheEnd) {
    const auto file = File("long.avi");
    ASSERT_EQ(
        vantor_test::MakeMjpegAvi(file, VideoSpec{.seconds_x10 = 599, .width = 64, .height = 48, .fps = 10}),
        "");
    library_.Load(Logic(file));
    EXPECT_EQ(library_.TotalTime(), 59) << "59.9 s";

    // Seeking while idle moves the position without playing.
    library_.SetCurrentPosition(30);
    ASSERT_TRUE(WaitUntil([&] { return library_.CurrentPosition() == 30; }, kPlayTimeout_ms));
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
    library_.SeekToBegin();
    ASSERT_TRUE(WaitUntil([&] { return library_.CurrentPosition() == 0; }, kPlayTimeout_ms));

    library_.Play();
    library_.SeekToEnd();
    ASSERT_TRUE(WaitForEnds(1)) << "the seek to the end did not end the file; at "
                                << library_.CurrentPosition();
    EXPECT_GE(library_.CurrentPosition(), 59);
    EXPECT_EQ(library_.PlayState(), VPPS_PLAYING);
}

TEST_F(VideoPlayback, ANewFileReplacesThePlayingOne) {
    const auto first = File("first.avi");
    const auto second = File("second.mov");
    ASSERT_EQ(vantor_test::MakeMjpegAvi(first, VideoSpec{.seconds_x10 = 120}), "");
    ASSERT_EQ(vantor_test::MakeH264Mov(second, VideoSpec{.seconds_x10 = 30, .width = 176, .height = 144}),
              "");

    library_.Load(Logic(first));
    library_.Play();
    ASSERT_TRUE(WaitForPosition(1));
    library_.Load(Logic(second));
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
    EXPECT_EQ(library_.TotalTime(), 3);
    EXPECT_EQ(library_.CurrentPosition(), 0);
    EXPECT_FALSE(HappensWithin(300, [&] { return library_.CurrentPosition() != 0; }))
        << "the new file plays without being told";

    library_.Play();
    ASSERT_TRUE(WaitForEnds(1));
    EXPECT_FALSE(HappensWithin(300, [&] { return Ends() > 1; }));
    EXPECT_LT(library_.TotalTime(), 12) << "the first file's end was reported for the second";
}

TEST_F(VideoPlayback, VolumeOfAFileWithSound) {
    const auto file = File("sound.avi");
    ASSERT_EQ(vantor_test::MakeMjpegAvi(file, VideoSpec{.seconds_x10 = 30, .with_sound = true}), "");
    library_.Load(Logic(file));
    EXPECT_EQ(library_.Volume(), 0);
    library_.SetVolume(-2000);
    EXPECT_EQ(library_.Volume(), -2000);
    library_.SetVolume(500);
    library_.SetVolume(-10001);
    EXPECT_EQ(library_.Volume(), -2000) << "an out-of-range volume was taken";
    library_.SetVolume(-10000);
    EXPECT_EQ(library_.Volume(), -10000);
    library_.Play();
    ASSERT_TRUE(WaitForEnds(1)) << "a silent file must still play to its end";
    // The next file starts at full volume.
    library_.Load(Logic(file));
    EXPECT_EQ(library_.Volume(), 0);
}

TEST_F(VideoPlayback, AFileThatCannotPlayLeavesAnIdlePlayer) {
    const auto text = folder_.Write("notes.avi", "not a film\n");
    library_.Load(Logic(text));
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
    EXPECT_EQ(library_.TotalTime(), 0);
    library_.Play();
    EXPECT_EQ(library_.PlayState(), VPPS_PLAYING);
    library_.SetCurrentPosition(2);
    EXPECT_EQ(library_.CurrentPosition(), 0);
    EXPECT_EQ(library_.HandleGraphEvent(), kVpNoEventWaiting);
    EXPECT_FALSE(HappensWithin(200, [&] { return Ends() > 0; }));

    library_.Load(Logic(File("missing.avi")));
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);

    // A good file afterwards plays as usual.
    const auto good = File("good.avi");
    ASSERT_EQ(vantor_test::MakeMjpegAvi(good, VideoSpec{.seconds_x10 = 20}), "");
    library_.Load(Logic(good));
    library_.Play();
    ASSERT_TRUE(WaitForEnds(1));
}

}  // namespace
