// A camera that drops out comes back: the rules of noticing and retrying on a hand-set clock, the
// test cameras that drop out, and the station's camera noticing a drop-out of a real pipeline and
// reopening the same camera by itself.
#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>
#include "camera/camera_preview.h"
#include "camera/camera_recovery.h"
#include "camera/monitor_devices.h"
#include "camera/sample_grabber_callback.h"
#include "camera/test_cameras.h"
#include "camera/video_device_set.h"
#include "capture/capture_camera.h"
#include "platform/message_box.h"
#include "test_folder.h"
#include "ui_wait.h"

using namespace std::chrono_literals;
using namespace vantor::camera;
using vantor::GstCapsPtr;
using vantor::GstElementPtr;

namespace {

using TimePoint = CameraRecovery::TimePoint;

constexpr auto kFrameWait = 5000ms;

// A steady clock the test moves; read from any thread.
class HandClock {
  public:
    TimePoint Now() const { return TimePoint(std::chrono::milliseconds(millis_.load())); }
    void Advance(std::chrono::milliseconds by) { millis_ += by.count(); }
    TestCameraProvider::Now Reader() const {
        return [this] { return Now(); };
    }

  private:
    std::atomic<long long> millis_{1'000'000};
};

TimePoint At(int millis) {
    return TimePoint(std::chrono::milliseconds(millis));
}

CameraHealth FrameAt(int millis) {
    return CameraHealth{At(millis), false};
}

// ---- the rules ----

TEST(CameraRecoveryRules, NoFrameForTheStallLimitIsADropOutAndNothingSooner) {
    const RecoveryTimings timings;
    EXPECT_LT(timings.stallLimit + timings.checkInterval, 2000ms)
        << "the notice must show within two seconds";
    CameraRecovery recovery(timings);
    recovery.Opened(At(10'000));
    // No frame yet: counted from the opening.
    EXPECT_EQ(recovery.Check(At(11'499), CameraHealth{}), CameraRecovery::Step::None);
    // Frames keep it live, however long it runs.
    EXPECT_EQ(recovery.Check(At(20'000), FrameAt(19'990)), CameraRecovery::Step::None);
    EXPECT_EQ(recovery.Check(At(21'489), FrameAt(19'990)), CameraRecovery::Step::None);
    EXPECT_EQ(recovery.Current(), CameraRecovery::State::Live);
    EXPECT_EQ(recovery.Check(At(21'490), FrameAt(19'990)), CameraRecovery::Step::DropOut);
    EXPECT_TRUE(recovery.IsLost());
    // Told once: the next check is the first try to reopen, at once.
    EXPECT_EQ(recovery.Check(At(21'490), FrameAt(19'990)), CameraRecovery::Step::Reopen);
    EXPECT_EQ(recovery.Current(), CameraRecovery::State::Reopening);
    EXPECT_TRUE(recovery.IsLost());
}

TEST(CameraRecoveryRules, AStreamErrorIsADropOutAtOnce) {
    CameraRecovery recovery;
    recovery.Opened(At(0));
    EXPECT_EQ(recovery.Check(At(100), CameraHealth{At(90), true}), CameraRecovery::Step::DropOut);
}

TEST(CameraRecoveryRules, ALostCameraIsTriedEveryRetryIntervalAndAtOnceWhenADeviceIsAdded) {
    CameraRecovery recovery;
    recovery.Opened(At(0));
    ASSERT_EQ(recovery.Check(At(1'500), CameraHealth{}), CameraRecovery::Step::DropOut);
    ASSERT_EQ(recovery.Check(At(1'750), CameraHealth{}), CameraRecovery::Step::Reopen);
    // Nothing while the reopening runs.
    EXPECT_EQ(recovery.Check(At(5'000), CameraHealth{}), CameraRecovery::Step::None);
    recovery.ReopenFailed(At(5'000));
    EXPECT_EQ(recovery.Current(), CameraRecovery::State::Lost);
    EXPECT_EQ(recovery.Check(At(7'999), CameraHealth{}), CameraRecovery::Step::None);
    ASSERT_EQ(recovery.Check(At(8'000), CameraHealth{}), CameraRecovery::Step::Reopen);
    recovery.ReopenFailed(At(8'100));
    // A camera plugged in is tried at the next check, not after the interval.
    recovery.DeviceAdded();
    EXPECT_EQ(recovery.Check(At(8'200), CameraHealth{}), CameraRecovery::Step::Reopen);
    // Plugged in while a try runs that then fails (it found the camera not ready yet): again at once.
    recovery.DeviceAdded();
    recovery.ReopenFailed(At(8'300));
    EXPECT_EQ(recovery.Check(At(8'350), CameraHealth{}), CameraRecovery::Step::Reopen);
}

TEST(CameraRecoveryRules, AReopenedCameraIsWatchedFromItsReopening) {
    CameraRecovery recovery;
    recovery.Opened(At(0));
    ASSERT_EQ(recovery.Check(At(2'000), FrameAt(400)), CameraRecovery::Step::DropOut);
    ASSERT_EQ(recovery.Check(At(2'250), CameraHealth{}), CameraRecovery::Step::Reopen);
    recovery.Opened(At(6'000));
    EXPECT_FALSE(recovery.IsLost());
    // The new device has not delivered through the watch yet: the time counts from the reopening,
    // not from the old device's last frame.
    EXPECT_EQ(recovery.Check(At(6'250), CameraHealth{}), CameraRecovery::Step::None);
    EXPECT_EQ(recovery.Check(At(7'499), FrameAt(400)), CameraRecovery::Step::None);
    EXPECT_EQ(recovery.Check(At(7'500), FrameAt(400)), CameraRecovery::Step::DropOut);
}

TEST(CameraRecoveryRules, AddedDevicesMeanNothingToALiveOrClosedCamera) {
    CameraRecovery recovery;
    EXPECT_EQ(recovery.Check(At(100'000), CameraHealth{}), CameraRecovery::Step::None) << "never opened";
    recovery.Opened(At(0));
    recovery.DeviceAdded();
    EXPECT_EQ(recovery.Check(At(100), FrameAt(90)), CameraRecovery::Step::None);
    ASSERT_EQ(recovery.Check(At(1'600), FrameAt(90)), CameraRecovery::Step::DropOut);
    recovery.Closed();
    recovery.DeviceAdded();
    EXPECT_EQ(recovery.Check(At(100'000), CameraHealth{}), CameraRecovery::Step::None);
    EXPECT_FALSE(recovery.IsLost());
    recovery.ReopenFailed(At(100'000));
    EXPECT_EQ(recovery.Current(), CameraRecovery::State::Closed);
}

// ---- the test cameras that drop out ----

TEST(DroppingTestCameras, PresetsAndFiguresFromTheEnvironmentTexts) {
    const DropOutFigures defaults = DropOutFiguresFrom(nullptr, "", "x");
    EXPECT_EQ(defaults.frames, 150);
    EXPECT_EQ(defaults.away, 4000ms);
    EXPECT_EQ(defaults.drops, 1);
    const DropOutFigures set = DropOutFiguresFrom("12", "250", "0");
    EXPECT_EQ(set.frames, 12);
    EXPECT_EQ(set.away, 250ms);
    EXPECT_EQ(set.drops, 0);
    const DropOutFigures bad = DropOutFiguresFrom("-3", "5s", "99999999999");
    EXPECT_EQ(bad.frames, 150);
    EXPECT_EQ(bad.away, 4000ms);
    EXPECT_EQ(bad.drops, std::numeric_limits<int>::max());

    const std::vector<TestCameraDefinition> cameras = TestCameraPresets("drop,unplug,vga", set);
    ASSERT_EQ(cameras.size(), 3u);
    EXPECT_EQ(cameras[0].name, "Vantor Test Camera Drop");
    EXPECT_EQ(cameras[0].dropOut, DropOut::Stall);
    EXPECT_EQ(cameras[0].dropFigures.frames, 12);
    EXPECT_EQ(cameras[1].name, "Vantor Test Camera Unplug");
    EXPECT_EQ(cameras[1].dropOut, DropOut::Unplug);
    EXPECT_EQ(cameras[1].dropFigures.away, 250ms);
    EXPECT_EQ(cameras[2].dropOut, DropOut::None);
}

TestCameraDefinition Dropping(const char* key, int frames, int drops, const char* pattern = "ball") {
    DropOutFigures figures;
    figures.frames = frames;
    figures.away = 3000ms;
    figures.drops = drops;
    TestCameraDefinition definition = *TestCameraPreset(key, figures);
    definition.pattern = pattern;
    return definition;
}

bool Listed(VideoDeviceProvider& provider, const std::string& name) {
    const VideoDeviceList devices = provider.ListDevices();
    return std::any_of(devices.begin(), devices.end(),
                       [&](const auto& device) { return device->Name() == name; });
}

TEST(DroppingTestCameras, AStallingCameraGoesSilentIsAwayAndComesBackAtItsIdentity) {
    HandClock clock;
    TestCameraProvider provider({Dropping("drop", 8, 1), *TestCameraPreset("vga")}, clock.Reader());
    CVideoDeviceSet devices(provider);
    ASSERT_EQ(devices.ListDevices(), 2);
    ASSERT_TRUE(devices.SetupDevice(0, 640, 480));
    const std::string identity = devices.DeviceIdentity(0);
    EXPECT_EQ(identity, "Vantor Test Camera Drop");
    EXPECT_FALSE(provider.DevicesAdded());
    // After its frames it is gone from the list, without a word on the bus.
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !Listed(provider, identity); }));
    EXPECT_LE(devices.Receiver(0)->Tally().received, 8) << "the first frame went to the start";
    EXPECT_FALSE(devices.StreamFailed(0));
    devices.StopDevice(0);

    // Away: the other camera takes the first place, and reopening by identity does not take it.
    EXPECT_EQ(devices.SetupDeviceByIdentity(identity, 640, 480), -1);
    EXPECT_FALSE(devices.IsDeviceSetup(0));
    EXPECT_FALSE(provider.DevicesAdded());
    clock.Advance(2999ms);
    EXPECT_FALSE(provider.DevicesAdded());
    clock.Advance(1ms);
    EXPECT_TRUE(provider.DevicesAdded());
    EXPECT_FALSE(provider.DevicesAdded()) << "told once";
    // Back, and this opening (past its one drop-out) streams on.
    ASSERT_EQ(devices.SetupDeviceByIdentity(identity, 640, 480), 0);
    EXPECT_EQ(devices.DeviceIdentity(0), identity);
    ASSERT_TRUE(devices.Receiver(0)->WaitForSamples(30, kFrameWait));
}

TEST(DroppingTestCameras, AnUnpluggedCameraSaysSoOnTheBusEachOpeningWhenAllDrop) {
    HandClock clock;
    TestCameraProvider provider({Dropping("unplug", 5, 0)}, clock.Reader());
    CVideoDeviceSet devices(provider);
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        ASSERT_EQ(devices.SetupDeviceByIdentity("Vantor Test Camera Unplug", 640, 480), 0);
        ASSERT_TRUE(vantor_test::WaitUntil([&] { return devices.StreamFailed(0); }));
        EXPECT_LE(devices.Receiver(0)->Tally().received, 5);
        EXPECT_FALSE(Listed(provider, "Vantor Test Camera Unplug"));
        devices.StopDevice(0);
        clock.Advance(3000ms);
    }
}

TEST(MachineCameras, TheDeviceWatchAnswersAtOnceAndIdentitiesStartWithTheName) {
    MonitorDeviceProvider cameras;
    cameras.DevicesAdded();  // starts watching; what is there already may count once
    EXPECT_FALSE(cameras.DevicesAdded()) << "nothing was plugged in meanwhile";
    for (const std::shared_ptr<const VideoDevice>& device : cameras.ListDevices()) {
        EXPECT_EQ(device->Identity().rfind(device->Name(), 0), 0u) << device->Identity();
    }
}

// ---- the station's camera ----

// The test cameras behind a counter of listings and questions; a provider without a device watch
// when `tells` is false, as on a machine whose monitor cannot watch.
class WatchedCameras : public VideoDeviceProvider {
  public:
    WatchedCameras(std::vector<TestCameraDefinition> cameras, const HandClock& clock, bool tells)
        : cameras_(std::move(cameras), clock.Reader()), tells_(tells) {}
    VideoDeviceList ListDevices() override {
        ++listings_;
        VideoDeviceList counted;
        for (std::shared_ptr<const VideoDevice>& device : cameras_.ListDevices()) {
            counted.push_back(std::make_shared<CountedDevice>(std::move(device), sources_));
        }
        return counted;
    }
    bool DevicesAdded() override {
        ++questions_;
        return tells_ && cameras_.DevicesAdded();
    }
    int Listings() const { return listings_.load(); }
    // Sources made: a graph was built and is about to start.
    int Sources() const { return sources_.load(); }
    // Listings and questions whether devices were added.
    int Looks() const { return listings_.load() + questions_.load(); }

  private:
    class CountedDevice : public VideoDevice {
      public:
        CountedDevice(std::shared_ptr<const VideoDevice> device, std::atomic<int>& sources)
            : device_(std::move(device)), sources_(sources) {}
        std::string Name() const override { return device_->Name(); }
        std::string Identity() const override { return device_->Identity(); }
        GstCapsPtr Capabilities() const override { return device_->Capabilities(); }
        GstElementPtr CreateSource(std::string* error) const override {
            GstElementPtr source = device_->CreateSource(error);
            ++sources_;
            return source;
        }

      private:
        std::shared_ptr<const VideoDevice> device_;
        std::atomic<int>& sources_;
    };

    TestCameraProvider cameras_;
    bool tells_;
    std::atomic<int> sources_{0};
    std::atomic<int> listings_{0};
    std::atomic<int> questions_{0};
};

// What the window is told by its camera.
struct Reports {
    std::vector<bool> dropOuts;  // true: lost, false: back
    std::optional<bool> opened;
    bool Lost() const { return !dropOuts.empty() && dropOuts.back(); }
};

class StationCameraRecovery : public ::testing::TestWithParam<bool> {
  protected:
    // The test cameras offer 640 x 480 only: the frames are scaled, with the notice.
    void SetUp() override { folder_.Write("Bin/config.ini", "[camera]\r\nwidth=800\r\nheight=600\r\n"); }

    // Short figures, so that a drop-out and two tries fit into a moment.
    static RecoveryTimings Fast() {
        RecoveryTimings timings;
        timings.stallLimit = 600ms;
        timings.checkInterval = 50ms;
        timings.retryInterval = 300ms;
        return timings;
    }
    std::unique_ptr<CaptureCamera> Open(std::vector<TestCameraDefinition> cameras, RecoveryTimings timings) {
        auto devices = std::make_unique<WatchedCameras>(std::move(cameras), clock_, GetParam());
        devices_ = devices.get();
        std::unique_ptr<CaptureCamera> camera = MakeStationCamera(std::move(devices), timings);
        preview_ = qobject_cast<CameraPreview*>(camera->CreatePreview(&parent_));
        camera->WatchDropOuts([this](bool lost) { reports_.dropOuts.push_back(lost); });
        camera->StartOpening([this](bool opened) { reports_.opened = opened; });
        return camera;
    }
    // The frame's middle pixel, once the camera has one.
    static QColor Middle(const CaptureCamera& camera) {
        const QImage frame = camera.CopyFrame();
        return frame.isNull() ? QColor() : frame.pixelColor(frame.width() / 2, frame.height() / 2);
    }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_{folder_.path()};
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService service_{boxes_};
    HandClock clock_;
    QWidget parent_;
    WatchedCameras* devices_ = nullptr;  // owned by the camera
    CameraPreview* preview_ = nullptr;   // owned by parent_
    Reports reports_;
};

TEST_P(StationCameraRecovery, AStalledCameraIsClosedAndTheSameOneReopenedWhenItIsBack) {
    // The camera that drops out is green and listed first; while it is away the red one is first.
    TestCameraDefinition green = Dropping("drop", 20, 1, "solid-color");
    green.foregroundArgb = 0xff00ff00;
    TestCameraDefinition red = *TestCameraPreset("vga");
    red.name = "Vantor Test Camera Red";
    red.pattern = "solid-color";
    red.foregroundArgb = 0xffff0000;
    // Told of added devices, it does not wait for a retry: the next one would be a minute away.
    RecoveryTimings timings = Fast();
    if (GetParam()) {
        timings.retryInterval = 60s;
    }
    std::unique_ptr<CaptureCamera> camera = Open({green, red}, timings);
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return reports_.opened.has_value(); }));
    ASSERT_TRUE(*reports_.opened);

    ASSERT_TRUE(vantor_test::WaitUntil([&] { return preview_->PresentedFrames() > 0; }));
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return reports_.Lost(); }));
    EXPECT_FALSE(camera->IsOpened());
    EXPECT_TRUE(preview_->ShownFrame().isNull()) << "no frozen picture stays";
    // It stays lost through looks while it is away; the red camera is never taken for it.
    const int looks = devices_->Looks();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return devices_->Looks() >= looks + 3; }));
    EXPECT_TRUE(reports_.Lost());
    EXPECT_FALSE(camera->IsOpened());
    EXPECT_EQ(reports_.dropOuts.size(), 1u);

    clock_.Advance(3000ms);
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !reports_.Lost(); }));
    EXPECT_EQ(reports_.dropOuts, (std::vector<bool>{true, false}));
    EXPECT_TRUE(camera->IsOpened());
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return Middle(*camera).green() > 200; }));
    EXPECT_LT(Middle(*camera).red(), 40);
    EXPECT_EQ(camera->FrameSize(), QSize(800, 600));
    EXPECT_EQ(boxes_.Boxes().size(), 1u) << "the scaling notice once, not again for the reopening";
    camera->Close();
}

TEST_P(StationCameraRecovery, AnErrorOnTheBusIsNoticedWithoutWaitingForTheStallLimit) {
    RecoveryTimings timings = Fast();
    timings.stallLimit = 600s;  // only the error can tell
    std::unique_ptr<CaptureCamera> camera = Open({Dropping("unplug", 15, 1)}, timings);
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return reports_.Lost(); }));
    EXPECT_FALSE(camera->IsOpened());
    clock_.Advance(3000ms);
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !reports_.Lost(); }));
    EXPECT_TRUE(camera->IsOpened());
    const long long shown = preview_->PresentedFrames();
    EXPECT_TRUE(vantor_test::WaitUntil([&] { return preview_->PresentedFrames() > shown + 5; }))
        << "frames again";
    camera->Close();
}

TEST_P(StationCameraRecovery, ClosingWhileLostOrWhileATryRunsEndsCleanly) {
    std::unique_ptr<CaptureCamera> camera = Open({Dropping("drop", 10, 0)}, Fast());
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return reports_.Lost(); }));
    camera->Close();
    EXPECT_FALSE(camera->IsOpened());
    // Again, closing while the camera is being reopened: back in the list, it drops out again.
    reports_ = {};
    camera = Open({Dropping("drop", 10, 0)}, Fast());
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return reports_.Lost(); }));
    clock_.Advance(3000ms);
    const int listings = devices_->Listings();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return devices_->Listings() > listings; }));
    camera.reset();
}

TEST_P(StationCameraRecovery, LeavingWhileACameraIsSlowToDeliverDoesNotWaitForIt) {
    // Listed, but no frame ever comes: a start would wait for seconds.
    std::unique_ptr<CaptureCamera> camera = Open({Dropping("drop", 0, 0)}, Fast());
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return devices_->Sources() > 0; }));
    QElapsedTimer closing;
    closing.start();
    camera->Close();
    EXPECT_LT(closing.elapsed(), 2000);
    EXPECT_FALSE(camera->IsOpened());
}

INSTANTIATE_TEST_SUITE_P(DeviceWatch, StationCameraRecovery, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "DevicesAddedTold" : "RetriesOnly";
                         });

}  // namespace
