// The containers and codecs a wall gets from phones and cameras: each is made here with
// GStreamer's encoders, then must be recognised as a video and give its thumbnail picture.
// RealVideo has no encoder on this machine; its demuxer and decoders are checked to be installed.
#include <gtest/gtest.h>

#include <gst/gst.h>
#include <string>
#include "media_probe.h"
#include "test_folder.h"
#include "test_videos.h"

namespace {

struct Format {
    const char* file;
    const char* encoder;  // between the raw pictures and the file
};

// Twelve seconds of small pictures at a rate every format allows, so the ten-second frame exists.
std::string Pictures() {
    return "videotestsrc pattern=ball num-buffers=300 ! "
           "video/x-raw,format=I420,width=160,height=128,framerate=25/1";
}

}  // namespace

TEST(VideoFormats, EveryContainerOfTheWallDecodesAndGivesItsTenSecondFrame) {
    const Format formats[] = {
        {"mjpeg.avi", "jpegenc ! avimux"},
        {"mpeg4.avi", "avenc_mpeg4 ! avimux"},
        {"mpeg1.mpg", "mpeg2enc format=0 ! mpegvideoparse ! mpegpsmux"},
        {"mpeg2.mpeg", "mpeg2enc format=3 ! mpegvideoparse ! mpegpsmux"},
        {"wmv2.wmv", "avenc_wmv2 ! asfmux"},
        {"wmv1.asf", "avenc_wmv1 ! asfmux"},
        {"h264.mov", "x264enc speed-preset=ultrafast ! h264parse ! qtmux"},
        {"h264.avi", "x264enc speed-preset=ultrafast ! h264parse ! avimux"},
    };
    vantor_test::TestFolder folder;
    for (const Format& format : formats) {
        SCOPED_TRACE(format.file);
        const auto file = folder.path() / format.file;
        ASSERT_EQ(vantor_test::RunEncodingPipeline(
                      Pictures() + " ! " + format.encoder + " ! filesink location={file}", file),
                  "");
        EXPECT_TRUE(zorvane::HasDecodableVideo(file.string()));
        const zorvane::VideoGrab grab = zorvane::GrabVideoFrame(file.string(), 10'000'000'000);
        EXPECT_TRUE(grab.has_video);
        EXPECT_EQ(grab.width, 160);
        EXPECT_EQ(grab.height, 128);
        EXPECT_GT(grab.duration_ns, 10'000'000'000);
        EXPECT_EQ(grab.frame.size(), QSize(160, 128));
    }
}

TEST(VideoFormats, RealMediaCanBeDemuxedAndDecoded) {
    gst_init(nullptr, nullptr);
    for (const char* element :
         {"rmdemux", "avdec_rv10", "avdec_rv20", "avdec_rv30", "avdec_rv40", "avdec_cook"}) {
        GstElementFactory* factory = gst_element_factory_find(element);
        EXPECT_NE(factory, nullptr) << element
                                    << " is missing (gstreamer1.0-plugins-ugly, gstreamer1.0-libav)";
        if (factory != nullptr) {
            gst_object_unref(factory);
        }
    }
}
