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

    // Runs the event loop until the video window shows the bars; keeps the last look.
    bool WaitForBars(const char* name) {
        QImage last;
        const bool seen = WaitUntil(
            [&] {
                last = Shot();
                return ShowsBars(last);
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

    // The host gives its video window another shape and says so: the picture fills it.
    surface_->setGeometry(20, 20, 560, 200);
    EXPECT_EQ(vpNotifyOwnerMessage(surface_, kVpSizeMessage, 0, 0), kVpOk);

    vpPlay();
    EXPECT_EQ(vpGetPlayState(), VPPS_PLAYING);
    EXPECT_TRUE(WaitForBars("video_overlay_resized.png")) << "the picture does not fill the resized window";
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

}  // namespace
