// The device layer through the real GStreamer pipeline, with test cameras.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include "camera/sample_grabber_callback.h"
#include "camera/test_cameras.h"
#include "camera/video_device_set.h"

using namespace std::chrono_literals;
using vantor::camera::TestCameraDefinition;
using vantor::camera::TestCameraPreset;
using vantor::camera::TestCameraProvider;

namespace {

constexpr auto kFrameWait = 5000ms;

TestCameraDefinition Preset(const char* key) {
    return *TestCameraPreset(key);
}

TestCameraDefinition Declared(const char* caps, const char* pattern = "ball") {
    TestCameraDefinition definition;
    definition.caps = caps;
    definition.pattern = pattern;
    return definition;
}

// Sets up the device and returns what it printed on standard output.
std::string SetupPrinting(CVideoDeviceSet& devices, int index, int width, int height, bool* ok) {
    ::testing::internal::CaptureStdout();
    *ok = devices.SetupDevice(index, width, height);
    return ::testing::internal::GetCapturedStdout();
}

// Fetches the next frame; false when the device delivered none within the fetch time-out.
bool FetchFrame(CVideoDeviceSet& devices, int index) {
    const auto before = devices.FrameArrival(index);
    devices.GetPixels(index);
    return devices.FrameArrival(index) != before;
}

std::vector<std::uint8_t> Row(const std::uint8_t* frame, int width, int row) {
    const std::uint8_t* start = frame + static_cast<std::size_t>(row) * width * 3;
    return std::vector<std::uint8_t>(start, start + static_cast<std::size_t>(width) * 3);
}

}  // namespace

TEST(CameraDevices, ClosestSizeWhenTheRequestedOneIsNotOffered) {
    TestCameraProvider provider({Preset("hd")});
    CVideoDeviceSet devices(provider);
    bool ok = false;
    const std::string out = SetupPrinting(devices, 0, 800, 600, &ok);
    ASSERT_TRUE(ok) << out;
    EXPECT_EQ(devices.GetWidth(0), 640);
    EXPECT_EQ(devices.GetHeight(0), 480);
    EXPECT_NE(out.find("SETUP: Setting up device 0\n"), std::string::npos);
    EXPECT_NE(out.find("SETUP: couldn't find requested size - searching for closest matching size\n"),
              std::string::npos);
    ASSERT_TRUE(FetchFrame(devices, 0));
    EXPECT_EQ(devices.Receiver(0)->ExpectedSize(), 640u * 480u * 3u);
}

TEST(CameraDevices, AnOfferedSizeIsTakenExactly) {
    TestCameraProvider provider({Preset("hd")});
    CVideoDeviceSet devices(provider);
    bool ok = false;
    const std::string out = SetupPrinting(devices, 0, 1280, 720, &ok);
    ASSERT_TRUE(ok) << out;
    EXPECT_EQ(devices.GetWidth(0), 1280);
    EXPECT_EQ(devices.GetHeight(0), 720);
    EXPECT_EQ(out.find("couldn't find requested size"), std::string::npos);
    EXPECT_NE(out.find("Capture format is YUY2 1280 by 720"), std::string::npos);
}

TEST(CameraDevices, SteppedRangesAndTiesThroughThePipeline) {
    TestCameraProvider provider(
        {Preset("range"), Declared("video/x-raw,format=I420,width=700,height=600,framerate=30/1;"
                                   "video/x-raw,format=I420,width=900,height=600,framerate=30/1")});
    CVideoDeviceSet devices(provider);
    bool ok = false;
    SetupPrinting(devices, 0, 805, 603, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(devices.GetWidth(0), 800);
    EXPECT_EQ(devices.GetHeight(0), 600);
    SetupPrinting(devices, 1, 800, 600, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(devices.GetWidth(1), 700);  // 700 and 900 are equally near: the first one wins
}

TEST(CameraDevices, FramesArriveBottomUpWithPaddedRowsRemoved) {
    // 642 pixels make rows of 1926 bytes, which GStreamer pads to 1928.
    TestCameraDefinition odd = Preset("odd");
    odd.pattern = "smpte";
    TestCameraProvider provider({odd});
    CVideoDeviceSet devices(provider);
    bool ok = false;
    SetupPrinting(devices, 0, 642, 482, &ok);
    ASSERT_TRUE(ok);
    ASSERT_TRUE(FetchFrame(devices, 0));
    const std::uint8_t* frame =
        devices.GetPixels(0);  // the same frame again after a time-out or the next one
    const int top = 481;
    // The colour bars fill the upper two thirds: all those rows are the same, byte for byte.
    EXPECT_EQ(Row(frame, 642, top), Row(frame, 642, 400));
    EXPECT_EQ(Row(frame, 642, top), Row(frame, 642, 200));
    // The picture's top-left is the light grey bar; its bottom-left is not.
    const std::uint8_t* topLeft = frame + static_cast<std::size_t>(top) * 642 * 3;
    EXPECT_GT(topLeft[0], 150);
    EXPECT_GT(topLeft[1], 150);
    EXPECT_GT(topLeft[2], 150);
    EXPECT_NE(Row(frame, 642, 0), Row(frame, 642, top));
}

TEST(CameraDevices, ABusyDeviceFailsWithTheConnectingDiagnostic) {
    TestCameraProvider provider({Preset("busy")});
    CVideoDeviceSet devices(provider);
    bool ok = true;
    const std::string out = SetupPrinting(devices, 0, 640, 480, &ok);
    EXPECT_FALSE(ok);
    EXPECT_NE(out.find("ERROR: connecting device - prehaps it is already being used?\n"), std::string::npos);
    EXPECT_FALSE(devices.IsDeviceSetup(0));
    EXPECT_EQ(devices.GetPixels(0), nullptr);
    EXPECT_FALSE(devices.IsFrameNew(0));
}

TEST(CameraDevices, SetupRefusesBadIndicesAndSlotsInUse) {
    TestCameraProvider provider({Preset("vga")});
    CVideoDeviceSet devices(provider);
    bool ok = true;
    SetupPrinting(devices, 20, 640, 480, &ok);
    EXPECT_FALSE(ok);
    SetupPrinting(devices, -1, 640, 480, &ok);
    EXPECT_FALSE(ok);
    SetupPrinting(devices, 1, 640, 480, &ok);  // only one device
    EXPECT_FALSE(ok);
    SetupPrinting(devices, 0, 640, 480, &ok);
    EXPECT_TRUE(ok);
    SetupPrinting(devices, 0, 640, 480, &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(devices.IsDeviceSetup(0));  // the open device is not disturbed
}

TEST(CameraDevices, NamesAreKeptInOrderCutAt253AndAtMostTwentyDevices) {
    std::vector<TestCameraDefinition> cameras;
    for (int i = 0; i < 25; ++i) {
        TestCameraDefinition definition = Preset("vga");
        definition.name = "Camera " + std::to_string(i);
        cameras.push_back(definition);
    }
    cameras[1].name = std::string(300, 'x');
    cameras[2].name = "摄像头";
    TestCameraProvider provider(cameras);
    CVideoDeviceSet devices(provider);
    EXPECT_EQ(devices.ListDevices(), 20);
    EXPECT_EQ(std::u16string(devices.GetDeviceName(0)), u"Camera 0");
    EXPECT_EQ(std::u16string(devices.GetDeviceName(1)), std::u16string(253, u'x'));
    EXPECT_EQ(std::u16string(devices.GetDeviceName(2)), u"摄像头");
    EXPECT_EQ(std::u16string(devices.GetDeviceName(19)), u"Camera 19");
    EXPECT_EQ(devices.GetDeviceName(20), nullptr);
}

TEST(CameraDevices, APendingFrameDropsTheSamplesBehindIt) {
    TestCameraProvider provider({Preset("vga")});
    CVideoDeviceSet devices(provider);
    ASSERT_TRUE(devices.SetupDevice(0, 640, 480));
    const SampleGrabberCallback* receiver = devices.Receiver(0);
    // Waiting for the sixth sample means the fifth has been dealt with on the streaming thread.
    ASSERT_TRUE(receiver->WaitForSamples(6, kFrameWait));
    EXPECT_TRUE(devices.IsFrameNew(0));
    EXPECT_EQ(receiver->HeldSequence(), 1);
    EXPECT_GE(receiver->Tally().droppedPending, 4);

    devices.GetPixels(0);
    EXPECT_FALSE(devices.IsFrameNew(0));
    const long long seen = receiver->Tally().received;
    // Once two more samples have come, one of them (or the one in flight) has been taken.
    ASSERT_TRUE(receiver->WaitForSamples(seen + 2, kFrameWait));
    EXPECT_TRUE(devices.IsFrameNew(0));
    EXPECT_GE(receiver->HeldSequence(), seen);
}

TEST(CameraDevices, ASilentDeviceLeavesThePreviousFrame) {
    TestCameraDefinition definition = Preset("vga");
    definition.frameLimit = 10;
    TestCameraProvider provider({definition});
    CVideoDeviceSet devices(provider);
    ASSERT_TRUE(devices.SetupDevice(0, 640, 480));
    std::vector<std::uint8_t> lastFetched;
    const std::uint8_t* pixels = nullptr;
    int fetched = 0;
    for (;;) {
        const auto before = devices.FrameArrival(0);
        pixels = devices.GetPixels(0);
        if (devices.FrameArrival(0) == before) {
            break;  // timed out: the camera has fallen silent
        }
        lastFetched.assign(pixels, pixels + 640 * 480 * 3);
        ASSERT_LE(++fetched, 10);
    }
    ASSERT_GE(fetched, 1);
    EXPECT_TRUE(std::equal(lastFetched.begin(), lastFetched.end(), pixels));
    EXPECT_FALSE(devices.IsFrameNew(0));
}

TEST(CameraDevices, StoppingWhileFramesStreamIsCleanAndTheSlotOpensAgain) {
    TestCameraProvider provider({Preset("hd"), Preset("vga")});
    auto devices = std::make_unique<CVideoDeviceSet>(provider);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(devices->SetupDevice(0, 1280, 720));
        ASSERT_TRUE(devices->Receiver(0)->WaitForSamples(2, kFrameWait));
        devices->StopDevice(0);
        EXPECT_FALSE(devices->IsDeviceSetup(0));
        EXPECT_EQ(devices->GetWidth(0), 0);
    }
    // Destroying the set with two devices streaming stops both.
    ASSERT_TRUE(devices->SetupDevice(0, 640, 480));
    ASSERT_TRUE(devices->SetupDevice(1, 640, 480));
    ASSERT_TRUE(devices->Receiver(1)->WaitForSamples(2, kFrameWait));
    devices.reset();
}
