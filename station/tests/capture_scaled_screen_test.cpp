// The capture window on a screen with a device pixel ratio of 2: the still and the saved picture
// come in the screen's pixels, and the ink must land where the guest's finger went.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <filesystem>
#include "capture/capture_layout.h"
#include "capture/travenor_dlg.h"
#include "pen/alpha_pen.h"
#include "platform/message_box.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;

// Before main() makes the application: every screen of this test program is scaled by two.
const bool kScaledScreen = qputenv("QT_SCALE_FACTOR", "2");

void Mouse(QWidget& window, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), window.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

// A white frame with a transparent opening in the middle, 1440 x 1080.
void WriteWhiteTemplate(const fs::path& file) {
    QImage frame(1440, 1080, QImage::Format_ARGB32);
    frame.fill(Qt::white);
    QPainter painter(&frame);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillRect(QRect(300, 200, 840, 640), Qt::transparent);
    painter.end();
    ASSERT_TRUE(frame.save(QString::fromStdString(file.string()), "PNG"));
}

TEST(CaptureScaledScreen, InkLandsUnderThePenInTheSavedPicture) {
    ASSERT_TRUE(kScaledScreen);
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "QT_SCALE_FACTOR=2 did not take";
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope scope(folder.path());
    folder.Write("Bin/config.ini", "[camera]\r\nwidth=640\r\nheight=480\r\n[config]\r\nMAXALPHA =0\r\n");
    fs::create_directories(folder.path() / "Template");
    WriteWhiteTemplate(folder.path() / "Template" / "white.png");
    vantor::RecordingMessageBoxes boxes;
    vantor::ScopedMessageBoxService service(boxes);
    CAlphaPen::ResetSharedPositions();
    vantor::ManualClock clock({2026, 12, 8, 9, 5, 7});
    GuestCounter guests;
    CaptureWindowServices services;
    services.clock = &clock;
    services.screen_size = QSize(480, 270);  // window units; the preview is 360 x 270
    services.play_sound = [](const tstring&) {};
    services.make_camera = [] { return std::unique_ptr<CaptureCamera>(); };
    CTravenorDlg window(guests, nullptr, services);
    window.show();

    clock.AdvanceSeconds(1);
    window.PhotoOrSave();
    ASSERT_TRUE(window.IsCaptured());
    EXPECT_EQ(window.Still().size(), QSize(720, 540)) << "the still has the screen's pixels";
    // Black ink across the white frame's top band (window units y < 50).
    Mouse(window, QEvent::MouseButtonPress, {100, 20}, Qt::LeftButton);
    Mouse(window, QEvent::MouseMove, {200, 20}, Qt::LeftButton);
    Mouse(window, QEvent::MouseButtonRelease, {200, 20}, Qt::NoButton);
    ASSERT_EQ(window.Strokes().size(), 1u);
    ASSERT_GT(qGray(window.Still().pixel(150, 20)), 200) << "the frame's white band";

    const QImage shown = window.grab(window.PreviewRect()).toImage();
    ASSERT_EQ(shown.size(), QSize(720, 540));
    EXPECT_LT(qGray(shown.pixel(300, 40)), 80) << "ink at twice the pen's position";
    EXPECT_GT(qGray(shown.pixel(150, 20)), 200) << "no ink at the unscaled position";

    clock.AdvanceSeconds(1);
    window.PhotoOrSave();
    EXPECT_EQ(guests.Count(), 1);
    const QImage saved(QString::fromStdString(
        (folder.path() / "Storage" / "2026-12-8" / "WithTemplate" / "9-5-9.jpg").string()));
    ASSERT_EQ(saved.size(), QSize(720, 540));
    // The time stamp sits at (preview width - 200, preview height - 40) in window units.
    int red = 0;
    for (int y = 2 * (270 - 40); y < 2 * (270 - 20); ++y) {
        for (int x = 2 * (360 - 200); x < 2 * (360 - 60); ++x) {
            const QRgb p = saved.pixel(x, y);
            red += qRed(p) > 200 && qGreen(p) < 90 && qBlue(p) < 90;
        }
    }
    EXPECT_GT(red, 30) << "time stamp";
    EXPECT_LT(qGray(saved.pixel(300, 40)), 80) << "the ink in the saved picture";
    EXPECT_GT(qGray(saved.pixel(150, 20)), 200);
}

}  // namespace
