// The exported functions drawing into a real native window on an X display: after a load the
// window shows the file's first picture, a new size of the window is filled by the picture,
// playing sends "events waiting" to the parent window, and the answers to those report the end of
// the file once. What the window showed is kept in the screenshots folder.
#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTransform>
#include <QWidget>
#include <array>
#include <filesystem>
#include "test_folder.h"
#include "test_videos.h"
#include "ui_wait.h"
#include "video_test_support.h"
#include "video_surface.h"
#include "zorvane.h"

using vantor_test::WaitUntil;
using video_test::HostWindow;

namespace {

// The seven upper bars of videotestsrc's SMPTE pattern at 75 %: grey, yellow, cyan, green,
// magenta, red, blue. Each channel is either on (1) or off (0).
constexpr std::array<std::array<int, 3>, 7> kBars = {{
    {1, 1, 1},
    {1, 1, 0},
    {0, 1, 1},
    {0, 1, 0},
    {1, 0, 1},
    {1, 0, 0},
    {0, 0, 1},
}};

bool Dark(QRgb pixel) {
    return qRed(pixel) < 40 && qGreen(pixel) < 40 && qBlue(pixel) < 40;
}

bool Channel(int value, int on) {
    return on != 0 ? value > 130 : value < 70;
}

// Whether the picture shows the bars across its whole width: the middle of every bar, in the
// upper part of the picture, has the bar's colour.
bool ShowsBars(const QImage& shot) {
    if (shot.isNull() || shot.width() < 70 || shot.height() < 20) {
        return false;
    }
    for (int bar = 0; bar < 7; ++bar) {
        const int x = (2 * bar + 1) * shot.width() / 14;
        for (int y : {shot.height() / 8, shot.height() / 3}) {
            const QRgb pixel = shot.pixel(x, y);
            if (!Channel(qRed(pixel), kBars[bar][0]) || !Channel(qGreen(pixel), kBars[bar][1]) ||
                !Channel(qBlue(pixel), kBars[bar][2])) {
                return false;
            }
        }
    }
    return true;
}

class VideoOverlay : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY") ||
            QGuiApplication::platformName() != QLatin1String("xcb")) {
            FAIL() << "needs an X display: set DISPLAY to a running X server (for example Xvfb :78) and run "
                      "with QT_QPA_PLATFORM=xcb; the platform here is "
                   << QGuiApplication::platformName().toStdString();
        }
        host_.setGeometry(50, 50, 640, 400);
        host_.setStyleSheet(QStringLiteral("background: black"));
        surface_ = new zorvane::VideoSurface(&host_);
        surface_->setGeometry(40, 30, 320, 240);
        host_.AnswerGraphNotify([] { vpHandleGraphEvent(); });
        host_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host_)) << "the host window never appeared";
    }
    void TearDown() override { vpQuit(); }

    QImage Shot() const { return surface_->screen()->grabWindow(surface_->winId()).toImage(); }

    // Runs the event loop until the video window shows the bars (in `area` of it, turned back by
    // `turn` degrees when given); keeps the last look.
    bool WaitForBars(const char* name, QRect area = {}, int turn = 0) {
        QImage last;
        const bool seen = WaitUntil(
            [&] {
                last = Shot();
                const QImage part = area.isEmpty() ? last : last.copy(area);
                return ShowsBars(turn == 0 ? part : part.transformed(QTransform().rotate(turn)));
            },
            15000);
        last.save(QString::fromStdString((vantor_test::ScreenshotFolder() / name).string()));
        return seen;
    }

    vantor_test::TestFolder folder_;
    HostWindow host_;
    zorvane::VideoSurface* surface_ = nullptr;  // owned by host_
};

TEST_F(VideoOverlay, TheWindowShowsTheFilmAndTheParentHearsItsEnd) {
    const auto film = folder_.path() / "bars.avi";
    ASSERT_EQ(vantor_test::RunEncodingPipeline(
                  "videotestsrc pattern=smpte num-buffers=40 ! "
                  "video/x-raw,format=I420,width=320,height=240,framerate=10/1 ! jpegenc quality=90 ! "
                  "avimux ! filesink location={file}",
                  film),
              "");

    vpInitialize();
    vpAttach(surface_);
    vpLoad(video_test::Logic(film).c_str());
    ASSERT_EQ(vpGetPlayState(), VPPS_IDLE);
    EXPECT_EQ(vpGetTotalTime(), 4);
    EXPECT_TRUE(WaitForBars("video_overlay_loaded.png"))
        << "the first picture is not in the window after the load";

    // The host gives its video window another shape and says so: the picture keeps its own shape
    // in the middle (266 x 200 of 560 x 200), black bars beside it.
    surface_->setGeometry(20, 20, 560, 200);
    EXPECT_EQ(vpNotifyOwnerMessage(surface_, kVpSizeMessage, 0, 0), kVpOk);

    vpPlay();
    EXPECT_EQ(vpGetPlayState(), VPPS_PLAYING);
    EXPECT_TRUE(WaitForBars("video_overlay_resized.png", QRect(152, 0, 256, 200)))
        << "the picture does not keep its shape in the resized window";
    const QImage resized = Shot();
    EXPECT_TRUE(Dark(resized.pixel(60, 100)) && Dark(resized.pixel(500, 100))) << "no black bars beside it";
    ASSERT_TRUE(WaitUntil([&] { return host_.Count(kVpEndOfMediaMessage) > 0; }, 20000))
        << "no end-of-media message; " << host_.Count(kVpGraphNotifyMessage)
        << " \"events waiting\" messages";
    EXPECT_GT(host_.Count(kVpGraphNotifyMessage), 0);
    EXPECT_EQ(vpGetPlayState(), VPPS_PLAYING);
    EXPECT_FALSE(WaitUntil(
        [&] {
            vpHandleGraphEvent();
            return host_.Count(kVpEndOfMediaMessage) > 1;
        },
        500))
        << "one end reported more than once";

    // The host hides and shows its video window through the library.
    EXPECT_EQ(vpNotifyOwnerMessage(surface_, kVpShowWindowMessage, 0, 0), kVpOk);
    EXPECT_TRUE(surface_->isHidden());
    EXPECT_EQ(vpNotifyOwnerMessage(surface_, kVpShowWindowMessage, 1, 0), kVpOk);
    EXPECT_FALSE(surface_->isHidden());

    vpQuit();
    EXPECT_EQ(vpGetPlayState(), VPPS_NOMEDIA);
    vpQuit();
    EXPECT_EQ(vpGetPlayState(), VPPS_NOMEDIA);
    EXPECT_EQ(vpNotifyOwnerMessage(surface_, kVpPaintMessage, 0, 0), kVpOk);
}

// A phone's portrait clip, stored on its side with a turn in its track, plays upright and in its
// shape: 180 x 240 in the middle of a 320 x 240 window.
TEST_F(VideoOverlay, APortraitPhoneClipPlaysUprightInItsShape) {
    const auto film = folder_.path() / "portrait.mp4";
    vantor_test::VideoSpec spec;
    spec.seconds_x10 = 40;
    ASSERT_EQ(vantor_test::MakeTurnedMp4(film, spec, 90,
                                         "videotestsrc pattern=smpte num-buffers=40 ! "
                                         "video/x-raw,format=I420,width=320,height=240,framerate=10/1"),
              "");
    vpInitialize();
    vpAttach(surface_);
    vpLoad(video_test::Logic(film).c_str());
    vpPlay();
    EXPECT_TRUE(WaitForBars("video_overlay_portrait.png", QRect(75, 5, 170, 230), -90))
        << "the clip does not play upright in the middle of the window";
    const QImage shot = Shot();
    EXPECT_TRUE(Dark(shot.pixel(20, 120)) && Dark(shot.pixel(300, 120))) << "no black bars beside it";
    vpQuit();
}

}  // namespace
