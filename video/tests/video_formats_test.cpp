// The containers and codecs a wall gets from phones and cameras: each is made here with
// GStreamer's encoders, then must be recognised as a video and give its thumbnail picture.
// RealVideo has no encoder on this machine; its demuxer and decoders are checked to be installed.
#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QString>
#include <gst/gst.h>
#include <string>
#include <vector>
#include "gst_runtime.h"
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

// The messages of one logging category while it lives.
class CategoryLog {
  public:
    explicit CategoryLog(const char* category) : category_(category) {
        Current() = this;
        QLoggingCategory::setFilterRules(QStringLiteral("%1.info=true").arg(QString::fromLatin1(category)));
        previous_ = qInstallMessageHandler(&Handle);
    }
    ~CategoryLog() {
        qInstallMessageHandler(previous_);
        Current() = nullptr;
    }
    CategoryLog(const CategoryLog&) = delete;
    CategoryLog& operator=(const CategoryLog&) = delete;
    const std::vector<QString>& Lines() const { return lines_; }

  private:
    static CategoryLog*& Current() {
        static CategoryLog* current = nullptr;  // the one log of the test that runs
        return current;
    }
    static void Handle(QtMsgType, const QMessageLogContext& context, const QString& text) {
        if (CategoryLog* log = Current(); log != nullptr && context.category == log->category_) {
            log->lines_.push_back(text);
        }
    }
    std::string category_;
    QtMessageHandler previous_ = nullptr;
    std::vector<QString> lines_;
};

}  // namespace

// A WMV2 video with WMA sound from GStreamer's ASF muxer: the muxer writes the pictures with the
// video encoder's 1000-hour time offset and the sound from 0, and the ASF demuxer drops every
// picture as lying beyond the file's 13 s; playbin plays the sound alone. A file that gives no
// picture is refused with its reason in the log, never silently.
TEST(VideoFormats, AVideoThatGivesNoPictureIsRefusedWithItsReason) {
    vantor_test::TestFolder folder;
    const auto file = folder.path() / "with sound.wmv";
    ASSERT_EQ(vantor_test::RunEncodingPipeline(
                  "videotestsrc num-buffers=325 ! video/x-raw,width=320,height=240,framerate=25/1 ! "
                  "avenc_wmv2 ! mux. asfmux name=mux ! filesink location={file} "
                  "audiotestsrc num-buffers=560 ! audioconvert ! avenc_wmav2 ! mux.",
                  file),
              "");
    const CategoryLog log("vantor.video");
    const zorvane::VideoGrab grab = zorvane::GrabVideoFrame(file.string(), 10'000'000'000);
    if (grab.has_video) {
        EXPECT_FALSE(grab.frame.isNull()) << "a video without its thumbnail picture";
        return;
    }
    EXPECT_NE(grab.refusal, "");
    bool logged = false;
    for (const QString& line : log.Lines()) {
        logged = logged || (line.contains(QString::fromStdString(file.string())) &&
                            line.contains(QString::fromStdString(grab.refusal)));
    }
    EXPECT_TRUE(logged) << "no log line names the file and " << grab.refusal;
}

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
    const vantor::GstStart gstreamer = vantor::InitialiseGstreamer();
    ASSERT_TRUE(gstreamer.ok) << gstreamer.error;
    for (const char* element :
         {"rmdemux", "avdec_rv10", "avdec_rv20", "avdec_rv30", "avdec_rv40", "avdec_cook"}) {
        const vantor::GstObjectPtr<GstElementFactory> factory(gst_element_factory_find(element));
        EXPECT_NE(factory, nullptr) << element
                                    << " is missing (gstreamer1.0-plugins-ugly, gstreamer1.0-libav)";
    }
}
