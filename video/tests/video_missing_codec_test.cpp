// A video whose decoder is not installed: every H.264 decoder is ranked out before GStreamer
// starts, as on a machine without them, so an H.264 file is no video here and gives no picture,
// while a Motion-JPEG file still is one.
#include <gtest/gtest.h>

#include <cstdlib>
#include "media_probe.h"
#include "test_folder.h"
#include "test_videos.h"

namespace {

// Before main, so before GStreamer reads its registry.
const bool kWithoutH264Decoders = [] {
    setenv("GST_PLUGIN_FEATURE_RANK",
           "avdec_h264:NONE,openh264dec:NONE,vah264dec:NONE,vaapih264dec:NONE,nvh264dec:NONE,"
           "v4l2h264dec:NONE,v4l2slh264dec:NONE,nvh264sldec:NONE",
           1);
    return true;
}();

}  // namespace

TEST(VideoMissingCodec, AFileWhoseDecoderIsMissingIsNoVideo) {
    ASSERT_TRUE(kWithoutH264Decoders);
    vantor_test::TestFolder folder;
    vantor_test::VideoSpec spec;
    spec.seconds_x10 = 120;
    const auto h264 = folder.path() / "phone.mov";
    ASSERT_EQ(vantor_test::MakeH264Mov(h264, spec), "");
    EXPECT_FALSE(zorvane::HasDecodableVideo(h264.string()));
    const zorvane::VideoGrab grab = zorvane::GrabVideoFrame(h264.string(), 10'000'000'000);
    EXPECT_FALSE(grab.has_video);
    EXPECT_TRUE(grab.frame.isNull());

    const auto mjpeg = folder.path() / "camera.avi";
    ASSERT_EQ(vantor_test::MakeMjpegAvi(mjpeg, spec), "");
    EXPECT_TRUE(zorvane::HasDecodableVideo(mjpeg.string()));
}
