// A test camera shows live in the preview widget on a real display: frames keep arriving, the
// picture on the screen changes with them, and a screenshot is left in the test folder.
#include <gtest/gtest.h>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include "camera/camera_capture.h"
#include "camera/camera_preview.h"
#include "camera/test_cameras.h"
#include "platform/message_box.h"
#include "requirements.h"

using namespace vantor::camera;

namespace {

// Runs the event loop until the preview has shown count more frames or the time-out passed.
bool WaitForShownFrames(CameraPreview& preview, int count, int timeout_ms = 5000) {
    QEventLoop loop;
    int seen = 0;
    const QMetaObject::Connection shown = QObject::connect(&preview, &CameraPreview::frameShown, &loop, [&] {
        if (++seen >= count) {
            loop.quit();
        }
    });
    QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(shown);
    return seen >= count;
}

// Distinct colours in a coarse grid of the image.
int DistinctColours(const QImage& image) {
    std::vector<QRgb> colours;
    for (int y = 0; y < image.height(); y += 16) {
        for (int x = 0; x < image.width(); x += 16) {
            const QRgb c = image.pixel(x, y);
            if (std::find(colours.begin(), colours.end(), c) == colours.end()) {
                colours.push_back(c);
            }
        }
    }
    return static_cast<int>(colours.size());
}

}  // namespace

TEST(CameraPreviewLive, ATestCameraShowsLiveInThePreview) {
    if (const std::string missing = vantor_test::MissingDisplay(); !missing.empty()) {
        GTEST_FAIL() << missing;
    }
    vantor::RecordingMessageBoxes boxes;
    vantor::ScopedMessageBoxService scope(boxes);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Vantor camera preview"));
    window.setStyleSheet(QStringLiteral("background: #303030"));
    window.resize(900, 700);
    CameraPreview preview(&window);
    preview.setGeometry(0, 0, 900, 700);
    window.show();

    TestCameraDefinition definition = *TestCameraPreset("hd");
    definition.pattern = "smpte";
    TestCameraProvider provider({definition});
    CCameraCapture camera(provider, CameraSize{800, 600});
    camera.SetDisplayWindow(&preview);
    camera.SetDisplayRect(50, 50, 850, 650);
    ASSERT_TRUE(camera.Open());
    EXPECT_EQ(boxes.Texts().size(), 1u);  // 800x600 is scaled from 640x480

    ASSERT_TRUE(WaitForShownFrames(preview, 10));
    QCoreApplication::processEvents();
    const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
    screen.save(QStringLiteral("camera_preview_live.png"));
    ASSERT_EQ(screen.size(), QSize(900, 700));

    // Inside the rectangle the colour bars; outside it the window's own background.
    const QImage inside = screen.copy(50, 50, 800, 600);
    EXPECT_GE(DistinctColours(inside), 7);
    EXPECT_EQ(screen.pixelColor(10, 10), QColor(0x30, 0x30, 0x30));
    EXPECT_EQ(screen.pixelColor(880, 680), QColor(0x30, 0x30, 0x30));
    // The picture's top-left is the light grey bar: the frame is upright.
    EXPECT_GT(screen.pixelColor(60, 60).lightness(), 150);

    const long long before = preview.PresentedFrames();
    ASSERT_TRUE(WaitForShownFrames(preview, 5));
    EXPECT_GT(preview.PresentedFrames(), before);
    camera.Close();
}
