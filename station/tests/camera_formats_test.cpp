// Choosing the capture format: the known formats and their order, capabilities read from caps,
// the exact-size try and the closest-size search with its tie rules.
#include <gtest/gtest.h>
#include "camera/capture_caps.h"
#include "gst_runtime.h"
#include "camera/pixel_formats.h"
#include "camera/size_search.h"

using namespace vantor::camera;
using vantor::GstCapsPtr;
using vantor::GstRuntime;

namespace {

GstCapsPtr Caps(const char* text) {
    return GstCapsPtr(gst_caps_from_string(text));
}

CapsSize SizeOf(const GstCapsPtr& caps) {
    return SizeOfCaps(caps.get());
}

class CameraFormats : public ::testing::Test {
  protected:
    GstRuntime runtime_;
};

}  // namespace

TEST(CameraSizeSearch, NearestStepValueWalksFromTheMinimumAndKeepsTheFirstOnTies) {
    EXPECT_EQ(NearestStepValue(800, 640, 640, 1), 640);
    EXPECT_EQ(NearestStepValue(100, 160, 1920, 16), 160);    // below the range
    EXPECT_EQ(NearestStepValue(5000, 160, 1920, 16), 1920);  // above it
    EXPECT_EQ(NearestStepValue(5000, 160, 1930, 16), 1920);  // the last step, not the maximum
    EXPECT_EQ(NearestStepValue(805, 160, 1920, 16), 800);
    EXPECT_EQ(NearestStepValue(810, 160, 1920, 16), 816);
    EXPECT_EQ(NearestStepValue(808, 160, 1920, 16), 800);  // 800 and 816 are equally near: the first
    EXPECT_EQ(NearestStepValue(700, 600, 900, 0), 600);    // no granularity: only the minimum
}

TEST(CameraSizeSearch, PicksTheSmallestSumOfDistances) {
    // 1280x720 is 600 away from 800x600, 640x480 only 280.
    const std::vector<SizeRange> caps = {{1280, 1280, 1, 720, 720, 1}, {640, 640, 1, 480, 480, 1}};
    const SizeChoice choice = FindClosestSize(caps, 800, 600);
    EXPECT_EQ(choice.capability, 1);
    EXPECT_EQ(choice.width, 640);
    EXPECT_EQ(choice.height, 480);
    EXPECT_FALSE(choice.exact);
}

TEST(CameraSizeSearch, FirstCapabilityWinsOnEqualDistance) {
    const std::vector<SizeRange> caps = {{700, 700, 1, 600, 600, 1}, {900, 900, 1, 600, 600, 1}};
    EXPECT_EQ(FindClosestSize(caps, 800, 600).capability, 0);
    const std::vector<SizeRange> swapped = {caps[1], caps[0]};
    EXPECT_EQ(FindClosestSize(swapped, 800, 600).width, 900);
}

TEST(CameraSizeSearch, AnExactCapabilityEndsTheSearch) {
    const std::vector<SizeRange> caps = {
        {640, 640, 1, 480, 480, 1}, {320, 1280, 160, 240, 960, 120}, {800, 800, 1, 600, 600, 1}};
    const SizeChoice choice = FindClosestSize(caps, 800, 600);
    EXPECT_EQ(choice.capability, 1);
    EXPECT_TRUE(choice.exact);
}

TEST(CameraSizeSearch, NothingToChooseFromOrEverythingTooFar) {
    EXPECT_EQ(FindClosestSize({}, 800, 600).capability, -1);
    // A size farther than the 9 999 999 start is never taken.
    const std::vector<SizeRange> huge = {{20000000, 20000000, 1, 20000000, 20000000, 1}};
    EXPECT_EQ(FindClosestSize(huge, 1, 1).capability, -1);
}

TEST(CameraPixelFormats, EighteenFormatsInTryOrder) {
    const auto& formats = KnownPixelFormats();
    ASSERT_EQ(formats.size(), 18u);
    EXPECT_EQ(formats.front().name, "RGB24");
    EXPECT_EQ(formats.front().gstFormat, "BGR");
    EXPECT_EQ(formats[7].name, "IYUV");
    EXPECT_EQ(formats[7].gstFormat, "I420");
    EXPECT_EQ(formats.back().name, "GREY");
    EXPECT_EQ(PixelFormatName("BGRx"), "RGB32");
    EXPECT_EQ(PixelFormatName("GRAY8"), "Y800");
    EXPECT_EQ(PixelFormatName("NV12"), "OTHER");
}

TEST_F(CameraFormats, CapabilitiesExpandListsAndKeepRangeSteps) {
    GstCapsPtr caps = Caps(
        "video/x-raw,format=YUY2,width={640,1280},height=480;"
        "video/x-raw,format=I420,width=[160,1920,16],height=[120,1080,8]");
    const std::vector<CaptureCapability> capabilities = CapabilitiesOf(caps.get());
    ASSERT_EQ(capabilities.size(), 3u);
    EXPECT_EQ(capabilities[0].sizes.minWidth, 640);
    EXPECT_EQ(capabilities[1].sizes.minWidth, 1280);
    EXPECT_EQ(capabilities[2].sizes.minWidth, 160);
    EXPECT_EQ(capabilities[2].sizes.maxWidth, 1920);
    EXPECT_EQ(capabilities[2].sizes.widthStep, 16);
    EXPECT_EQ(capabilities[2].sizes.heightStep, 8);
    GstCapsPtr any(gst_caps_new_any());
    EXPECT_TRUE(CapabilitiesOf(any.get()).empty());
}

TEST_F(CameraFormats, ExactSizeTriesTheKnownFormatsInOrder) {
    // RGB24 comes before YUY2, whatever order the device lists them in.
    GstCapsPtr device = Caps(
        "video/x-raw,format=YUY2,width=640,height=480,framerate=30/1;"
        "video/x-raw,format=BGR,width=640,height=480,framerate=30/1");
    std::string name;
    GstCapsPtr exact = ExactSizeCaps(device.get(), 640, 480, &name);
    ASSERT_TRUE(exact);
    EXPECT_EQ(name, "RGB24");
    EXPECT_TRUE(gst_caps_is_fixed(exact.get()));
    EXPECT_FALSE(ExactSizeCaps(device.get(), 800, 600));
    // A format GStreamer has but the list lacks is never taken by the exact try.
    GstCapsPtr nv12 = Caps("video/x-raw,format=NV12,width=640,height=480");
    EXPECT_FALSE(ExactSizeCaps(nv12.get(), 640, 480));
}

TEST_F(CameraFormats, ClosestSizeKeepsTheCapabilitysFormatAndRate) {
    GstCapsPtr device = Caps(
        "video/x-raw,format=YUY2,width=1280,height=720,framerate=30/1;"
        "video/x-raw,format=UYVY,width=640,height=480,framerate=15/1");
    GstCapsPtr closest = ClosestSizeCaps(device.get(), 800, 600);
    ASSERT_TRUE(closest);
    const CapsSize size = SizeOf(closest);
    EXPECT_EQ(size.width, 640);
    EXPECT_EQ(size.height, 480);
    EXPECT_EQ(size.formatName, "UYVY");
    int num = 0;
    int den = 0;
    ASSERT_TRUE(
        gst_structure_get_fraction(gst_caps_get_structure(closest.get(), 0), "framerate", &num, &den));
    EXPECT_EQ(num, 15);
}

TEST_F(CameraFormats, ClosestSizeOnASteppedRange) {
    GstCapsPtr device =
        Caps("video/x-raw,format=YUY2,width=[160,1920,16],height=[120,1080,8],framerate=30/1");
    const CapsSize size = SizeOf(ClosestSizeCaps(device.get(), 805, 603));
    EXPECT_EQ(size.width, 800);
    EXPECT_EQ(size.height, 600);
}

TEST_F(CameraFormats, DefaultIsTheFirstDeclaredFormatFixed) {
    GstCapsPtr device = Caps(
        "video/x-raw,format=YUY2,width=[320,1280],height=[240,720],framerate=[1/1,60/1];"
        "video/x-raw,format=BGR,width=640,height=480");
    GstCapsPtr fixed = DefaultCaps(device.get());
    ASSERT_TRUE(fixed);
    EXPECT_TRUE(gst_caps_is_fixed(fixed.get()));
    EXPECT_EQ(SizeOf(fixed).formatName, "YUY2");
    int num = 0;
    int den = 0;
    gst_structure_get_fraction(gst_caps_get_structure(fixed.get(), 0), "framerate", &num, &den);
    EXPECT_EQ(num / den, 30);
    GstCapsPtr any(gst_caps_new_any());
    EXPECT_FALSE(DefaultCaps(any.get()));
}
