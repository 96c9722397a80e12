// The rules of the video library with a graph of our own that writes down every command it gets:
// nothing before Initialize or without a player, the recorded state and the commands it saves,
// the end of a file as one message to the host window, replacing and releasing the player, graphs
// that cannot render or cannot be made, the host's window messages, volume and time units.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QWidget>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include "video_library.h"
#include "video_test_support.h"
#include "zorvane.h"

using video_test::HostWindow;
using zorvane::GraphEvent;
using zorvane::MediaGraph;
using zorvane::VideoLibrary;

namespace {

using Commands = std::vector<std::string>;

// What the test graphs are told and what they answer; shared by the test and every graph it made,
// so that it outlives the graphs the library destroys.
struct GraphScript {
    bool factory_fails = false;
    bool render_succeeds = true;
    bool has_audio = true;
    bool has_video_window = true;
    std::optional<std::int64_t> duration_ns = 59'900'000'000;
    std::optional<std::int64_t> position_ns = 1'999'999'999;
    double volume = 1.0;
    std::deque<GraphEvent> events;
    std::function<void()> notify;  // as set by the library
    int made = 0;
    Commands commands;  // "<graph number>:<command>", and "make" for each call of the factory
};

class ScriptedGraph : public MediaGraph {
  public:
    ScriptedGraph(GraphScript& script, int number) : script_(script), prefix_(std::to_string(number) + ":") {}
    ~ScriptedGraph() override { Note("destroyed"); }

    bool Render(const std::string& native_path) override {
        Note("render " + native_path);
        return script_.render_succeeds;
    }
    void Run() override { Note("run"); }
    void Pause() override { Note("pause"); }
    void Stop() override { Note("stop"); }
    std::optional<std::int64_t> Duration_ns() override { return script_.duration_ns; }
    std::optional<std::int64_t> Position_ns() override { return script_.position_ns; }
    void SeekTo_ns(std::int64_t position_ns) override { Note("seek " + std::to_string(position_ns)); }
    bool HasAudio() override { return script_.has_audio; }
    double Volume() override { return script_.volume; }
    void SetVolume(double linear) override {
        script_.volume = linear;
        Note("volume");
    }
    bool HasVideoWindow() const override { return script_.has_video_window; }
    void PlaceVideo(int width, int height) override {
        Note("place " + std::to_string(width) + "x" + std::to_string(height));
    }
    void Expose() override { Note("expose"); }
    void SetNotify(std::function<void()> notify) override {
        Note(notify ? "notify set" : "notify cleared");
        script_.notify = std::move(notify);
    }
    std::optional<GraphEvent> NextEvent() override {
        if (script_.events.empty()) {
            return std::nullopt;
        }
        const GraphEvent event = script_.events.front();
        script_.events.pop_front();
        return event;
    }

  private:
    void Note(const std::string& command) { script_.commands.push_back(prefix_ + command); }

    GraphScript& script_;
    std::string prefix_;
};

zorvane::GraphFactory ScriptedFactory(GraphScript& script) {
    return [&script](std::uintptr_t) -> std::unique_ptr<MediaGraph> {
        script.commands.push_back("make");
        if (script.factory_fails) {
            return nullptr;
        }
        return std::make_unique<ScriptedGraph>(script, ++script.made);
    };
}

// Delivers the messages posted so far.
void DeliverPosted() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

class VideoLibraryRules : public ::testing::Test {
  protected:
    void SetUp() override {
        host_.resize(640, 480);
        video_ = new QWidget(&host_);
        video_->setGeometry(10, 20, 320, 240);
        host_.show();
    }

    // The commands the graphs got since the last call.
    Commands Taken() {
        Commands taken;
        taken.swap(script_.commands);
        return taken;
    }

    // Every function that a library without a player must ignore, with what it must answer.
    void ExpectEverythingIgnored() {
        EXPECT_EQ(library_.PlayState(), VPPS_NOMEDIA);
        library_.Play();
        library_.Pause();
        library_.Stop();
        library_.SetCurrentPosition(5);
        library_.SeekToBegin();
        library_.SeekToEnd();
        library_.SetVolume(-2000);
        library_.PutFullMode(true);
        library_.PutFullMode(false);
        library_.AdjustToWindow();
        library_.Quit();
        EXPECT_EQ(library_.HandleGraphEvent(), 0);
        EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpShowWindowMessage, 0, 0), 0);
        EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpSizeMessage, 0, 0), 0);
        EXPECT_EQ(library_.TotalTime(), 0);
        EXPECT_EQ(library_.CurrentPosition(), 0);
        EXPECT_EQ(library_.Volume(), 0);
        EXPECT_EQ(library_.PlayState(), VPPS_NOMEDIA);
        EXPECT_EQ(Taken(), Commands{});
        EXPECT_FALSE(video_->isHidden()) << "the show message hid the window without a player";
        EXPECT_EQ(video_->geometry(), QRect(10, 20, 320, 240));
        DeliverPosted();
        EXPECT_TRUE(host_.Messages().empty());
    }

    GraphScript script_;
    VideoLibrary library_{ScriptedFactory(script_)};
    HostWindow host_;
    QWidget* video_ = nullptr;  // owned by host_
};

TEST_F(VideoLibraryRules, BeforeInitializeOnlyAttachAndTheClockTextWork) {
    library_.Attach(video_);
    library_.Load(u"\\tmp\\film.avi");
    EXPECT_EQ(Taken(), Commands{}) << "a load before Initialize made a graph";
    ExpectEverythingIgnored();
    // The clock text needs no library at all.
    EXPECT_EQ(vpSecondToLoalTime(61), u"00:01:01");

    // Attach before Initialize counts: the load after it draws into that window and tells its parent.
    library_.Initialize();
    library_.Load(u"\\tmp\\film.avi");
    EXPECT_EQ(Taken(), (Commands{"make", "1:place 320x240", "1:render /tmp/film.avi", "1:notify set"}));
    script_.notify();
    DeliverPosted();
    ASSERT_EQ(host_.Count(kVpGraphNotifyMessage), 1);
}

TEST_F(VideoLibraryRules, WithoutAPlayerEverythingButLoadIsIgnored) {
    library_.Initialize();
    library_.Attach(video_);
    ExpectEverythingIgnored();
    // A released player leaves the library in the same state.
    library_.Load(u"\\tmp\\film.avi");
    library_.Play();
    library_.Quit();
    EXPECT_EQ(library_.PlayState(), VPPS_NOMEDIA);
    EXPECT_EQ(Taken(), (Commands{"make", "1:place 320x240", "1:render /tmp/film.avi", "1:notify set", "1:run",
                                 "1:stop", "1:notify cleared", "1:destroyed"}));
    library_.Quit();
    ExpectEverythingIgnored();
}

TEST_F(VideoLibraryRules, EachCommandReachesTheGraphOnlyWhenItChangesTheState) {
    library_.Initialize();
    library_.Attach(video_);
    library_.Load(u"\\tmp\\film.avi");
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
    Taken();

    library_.Stop();  // a loaded player is stopped already
    EXPECT_EQ(Taken(), Commands{});
    library_.Pause();  // stopped to paused is a change
    EXPECT_EQ(Taken(), Commands{"1:pause"});
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
    library_.Pause();
    EXPECT_EQ(Taken(), Commands{});

    library_.Play();
    library_.Play();
    EXPECT_EQ(Taken(), Commands{"1:run"});
    EXPECT_EQ(library_.PlayState(), VPPS_PLAYING);

    library_.Stop();
    library_.Stop();
    EXPECT_EQ(Taken(), Commands{"1:stop"});
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);

    library_.Play();
    library_.Pause();
    EXPECT_EQ(Taken(), (Commands{"1:run", "1:pause"}));
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
}

TEST_F(VideoLibraryRules, GraphEventsAreDrainedAndEachEndBecomesOneMessageToTheParent) {
    library_.Initialize();
    library_.Attach(video_);
    library_.Load(u"\\tmp\\film.avi");
    library_.Play();
    ASSERT_TRUE(script_.notify);

    // The framework tells from its own threads that events are waiting.
    std::thread framework([notify = script_.notify] {
        notify();
        notify();
    });
    framework.join();
    DeliverPosted();
    EXPECT_EQ(host_.Count(kVpGraphNotifyMessage), 2);

    script_.events = {GraphEvent::Other, GraphEvent::EndOfStream, GraphEvent::Error, GraphEvent::Other,
                      GraphEvent::EndOfStream};
    EXPECT_EQ(library_.HandleGraphEvent(), kVpNoEventWaiting);
    EXPECT_LT(kVpNoEventWaiting, 0);
    EXPECT_TRUE(script_.events.empty()) << "events left in the queue";
    DeliverPosted();
    EXPECT_EQ(host_.Count(kVpEndOfMediaMessage), 2);
    for (const video_test::ReceivedMessage& received : host_.Messages()) {
        EXPECT_EQ(received.wParam, 0u);
        EXPECT_EQ(received.lParam, 0u);
    }
    // The file has ended, yet the player still counts as playing, and no command was given.
    EXPECT_EQ(library_.PlayState(), VPPS_PLAYING);
    EXPECT_EQ(Taken().back(), "1:run");

    // Nothing queued: still "no event waiting", and no message.
    EXPECT_EQ(library_.HandleGraphEvent(), kVpNoEventWaiting);
    DeliverPosted();
    EXPECT_EQ(host_.Count(kVpEndOfMediaMessage), 2);
}

TEST_F(VideoLibraryRules, EndMessagesGoToTheParentOfTheWindowAttachedAtLoadTime) {
    HostWindow other_host;
    QWidget* other_video = new QWidget(&other_host);
    library_.Initialize();
    library_.Attach(video_);
    library_.Load(u"\\tmp\\film.avi");
    library_.Attach(other_video);  // for the next load only
    script_.events = {GraphEvent::EndOfStream};
    library_.HandleGraphEvent();
    DeliverPosted();
    EXPECT_EQ(host_.Count(kVpEndOfMediaMessage), 1);
    EXPECT_EQ(other_host.Count(kVpEndOfMediaMessage), 0);

    // Without an attached window the end is not reported to anyone, and nothing breaks.
    library_.Attach(nullptr);
    library_.Load(u"\\tmp\\film.avi");
    script_.events = {GraphEvent::EndOfStream};
    EXPECT_EQ(library_.HandleGraphEvent(), kVpNoEventWaiting);
    DeliverPosted();
    EXPECT_EQ(host_.Count(kVpEndOfMediaMessage), 1);
    EXPECT_EQ(other_host.Count(kVpEndOfMediaMessage), 0);
}

TEST_F(VideoLibraryRules, LoadingStopsAndDestroysThePreviousGraphBeforeMakingTheNext) {
    library_.Initialize();
    library_.Attach(video_);
    library_.Load(u"\\tmp\\first.avi");
    library_.Play();
    Taken();
    library_.Load(u"\\tmp\\second.mov");
    EXPECT_EQ(Taken(), (Commands{"1:stop", "1:notify cleared", "1:destroyed", "make", "2:place 320x240",
                                 "2:render /tmp/second.mov", "2:notify set"}));
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);

    // A stopped player is simply let go.
    library_.Load(u"\\tmp\\third.avi");
    EXPECT_EQ(Taken(), (Commands{"2:notify cleared", "2:destroyed", "make", "3:place 320x240",
                                 "3:render /tmp/third.avi", "3:notify set"}));
    library_.Pause();
    library_.Quit();
    library_.Quit();
    EXPECT_EQ(Taken(), (Commands{"3:pause", "3:stop", "3:notify cleared", "3:destroyed"}));
    EXPECT_EQ(library_.PlayState(), VPPS_NOMEDIA);
}

TEST_F(VideoLibraryRules, AGraphThatCannotRenderStillTakesTheCommands) {
    script_.render_succeeds = false;
    library_.Initialize();
    library_.Attach(video_);
    library_.Load(u"\\tmp\\broken.avi");
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
    EXPECT_EQ(Taken(), (Commands{"make", "1:place 320x240", "1:render /tmp/broken.avi"}));

    library_.Play();
    EXPECT_EQ(library_.PlayState(), VPPS_PLAYING);
    library_.SetCurrentPosition(2);
    library_.Pause();
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
    EXPECT_EQ(Taken(), (Commands{"1:run", "1:seek 2000000000", "1:pause"}));
    EXPECT_EQ(library_.TotalTime(), 59);
    library_.Quit();
    EXPECT_EQ(library_.PlayState(), VPPS_NOMEDIA);
}

TEST_F(VideoLibraryRules, WithoutAGraphThePlayerIgnoresEveryCommand) {
    script_.factory_fails = true;
    library_.Initialize();
    library_.Attach(video_);
    library_.Load(u"\\tmp\\film.avi");
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
    library_.Play();
    library_.Pause();
    library_.SetCurrentPosition(3);
    library_.SeekToEnd();
    library_.SetVolume(-100);
    library_.AdjustToWindow();
    library_.PutFullMode(true);
    EXPECT_EQ(library_.PlayState(), VPPS_IDLE);
    EXPECT_EQ(library_.TotalTime(), 0);
    EXPECT_EQ(library_.CurrentPosition(), 0);
    EXPECT_EQ(library_.Volume(), 0);
    EXPECT_EQ(library_.HandleGraphEvent(), 0);
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpPaintMessage, 0, 0), kVpNoVideoWindow);
    EXPECT_EQ(video_->geometry(), QRect(10, 20, 320, 240));
    library_.Quit();
    EXPECT_EQ(library_.PlayState(), VPPS_NOMEDIA);
    EXPECT_EQ(Taken(), Commands{"make"});
}

TEST_F(VideoLibraryRules, OwnerMessagesShowHidePlaceAndRedraw) {
    library_.Initialize();
    library_.Attach(video_);
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpShowWindowMessage, 0, 0), kVpOk);
    EXPECT_FALSE(video_->isHidden());

    library_.Load(u"\\tmp\\film.avi");
    Taken();
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpShowWindowMessage, 0, 0), kVpOk);
    EXPECT_TRUE(video_->isHidden());
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpShowWindowMessage, 1, 0), kVpOk);
    EXPECT_FALSE(video_->isHidden());
    EXPECT_EQ(Taken(), (Commands{"1:expose", "1:expose"}));

    video_->resize(200, 100);
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpSizeMessage, 0, 0), kVpOk);
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpPaintMessage, 0, 0), kVpOk);
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpDisplayChangeMessage, 0, 0), kVpOk);
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, 0x0200 /* a mouse move */, 0, 0), kVpOk);
    EXPECT_EQ(Taken(), (Commands{"1:place 200x100", "1:expose", "1:expose"}));
    library_.AdjustToWindow();
    EXPECT_EQ(Taken(), (Commands{"1:place 200x100", "1:expose"}));

    // A graph without a window of its own: the window itself is still shown and hidden.
    script_.has_video_window = false;
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpShowWindowMessage, 0, 0), kVpNoVideoWindow);
    EXPECT_TRUE(video_->isHidden());
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpShowWindowMessage, 1, 0), kVpNoVideoWindow);
    EXPECT_FALSE(video_->isHidden());
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpSizeMessage, 0, 0), kVpNoVideoWindow);
    EXPECT_EQ(library_.NotifyOwnerMessage(video_, kVpPaintMessage, 0, 0), kVpNoVideoWindow);
    library_.AdjustToWindow();
    EXPECT_EQ(Taken(), Commands{});
}

TEST_F(VideoLibraryRules, FullModeCoversTheParentAndComesBack) {
    library_.Initialize();
    library_.Attach(video_);
    library_.Load(u"\\tmp\\film.avi");
    Taken();
    EXPECT_FALSE(host_.isFullScreen());
    library_.PutFullMode(true);
    const QSize covered = video_->size();
    EXPECT_EQ(video_->geometry(), host_.rect());
    EXPECT_TRUE(host_.isFullScreen());
    library_.PutFullMode(true);  // already full: the place to come back to is kept
    EXPECT_EQ(Taken(), Commands{"1:place " + std::to_string(covered.width()) + "x" +
                                std::to_string(covered.height())});
    library_.PutFullMode(false);
    EXPECT_EQ(video_->geometry(), QRect(10, 20, 320, 240));
    EXPECT_FALSE(host_.isFullScreen()) << "the window stayed full screen";
    library_.PutFullMode(false);
    EXPECT_EQ(Taken(), Commands{"1:place 320x240"});
}

TEST_F(VideoLibraryRules, TimesAreWholeSecondsAndSeeksGoInNanoseconds) {
    library_.Initialize();
    library_.Attach(video_);
    library_.Load(u"\\tmp\\film.avi");
    Taken();
    EXPECT_EQ(library_.TotalTime(), 59);  // 59.9 s
    EXPECT_EQ(library_.CurrentPosition(), 1);
    library_.SetCurrentPosition(7);
    library_.SeekToBegin();
    library_.SeekToEnd();
    EXPECT_EQ(Taken(), (Commands{"1:seek 7000000000", "1:seek 0", "1:seek 59900000000"}));

    // A graph that cannot tell its times: zero, and no seek to an unknown end.
    script_.duration_ns.reset();
    script_.position_ns.reset();
    EXPECT_EQ(library_.TotalTime(), 0);
    EXPECT_EQ(library_.CurrentPosition(), 0);
    library_.SeekToEnd();
    EXPECT_EQ(Taken(), Commands{});
}

TEST_F(VideoLibraryRules, VolumeIsAnAttenuationAndOutOfRangeValuesAreRefused) {
    library_.Initialize();
    library_.Attach(video_);
    library_.Load(u"\\tmp\\film.avi");
    Taken();
    EXPECT_EQ(library_.Volume(), 0);  // linear 1: full

    library_.SetVolume(-2000);  // -20 dB
    EXPECT_NEAR(script_.volume, 0.1, 1e-9);
    EXPECT_EQ(library_.Volume(), -2000);
    for (std::int32_t refused : {1, 100, -10001, -20000}) {
        library_.SetVolume(refused);
        EXPECT_NEAR(script_.volume, 0.1, 1e-9) << refused;
    }
    EXPECT_EQ(library_.Volume(), -2000);
    library_.SetVolume(-10000);
    EXPECT_EQ(script_.volume, 0.0);
    EXPECT_EQ(library_.Volume(), -10000);
    library_.SetVolume(0);
    EXPECT_EQ(script_.volume, 1.0);
    EXPECT_EQ(Taken(), (Commands{"1:volume", "1:volume", "1:volume"}));

    // Without sound the volume is not touched and reads as 0.
    script_.has_audio = false;
    script_.volume = 0.5;
    EXPECT_EQ(library_.Volume(), 0);
    library_.SetVolume(-2000);
    EXPECT_EQ(script_.volume, 0.5);
    EXPECT_EQ(Taken(), Commands{});
}

// The exported functions of a process that never called vpInitialize.
TEST(VideoExportsUninitialised, DoNothing) {
    HostWindow host;
    QWidget* video = new QWidget(&host);
    vpAttach(video);
    vpLoad(u"\\tmp\\nothing-here.avi");
    vpPlay();
    EXPECT_EQ(vpGetPlayState(), VPPS_NOMEDIA);
    EXPECT_EQ(vpGetTotalTime(), 0);
    EXPECT_EQ(vpGetCurrentPosition(), 0);
    EXPECT_EQ(vpGetVolume(), 0);
    EXPECT_EQ(vpHandleGraphEvent(), 0);
    EXPECT_EQ(vpNotifyOwnerMessage(video, kVpShowWindowMessage, 0, 0), 0);
    EXPECT_FALSE(vpIsFileCanBeDecoded(u"\\tmp\\nothing-here.avi"));
    vpQuit();
    vpAttach(nullptr);
    EXPECT_EQ(vpSecondToLoalTime(3661), u"01:01:01");
}

}  // namespace
