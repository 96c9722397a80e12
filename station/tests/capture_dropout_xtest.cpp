// The capture window on a real X display with a test camera that drops out twice and comes back:
// the notice over the live picture within two seconds, the live picture again without restarting,
// and a photo with ink that lives through the second drop-out and is saved. What the screen showed
// is kept in the build's screenshot folder.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <filesystem>
#include "camera/camera_preview.h"
#include "capture/camera_notice.h"
#include "capture/travenor_dlg.h"
#include "fake_microphone.h"
#include "platform/local_clock.h"
#include "platform/message_box.h"
#include "requirements.h"
#include "test_folder.h"
#include "language/language.h"
#include "ui_wait.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLongWait = 15000;  // a drop-out, the time away and the next try

// Sets environment variables for its lifetime.
class ScopedEnvironment {
  public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const auto& [name, value] : values) {
            names_.push_back(name);
            qputenv(name, value);
        }
    }
    ~ScopedEnvironment() {
        for (const char* name : names_) {
            qunsetenv(name);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::vector<const char*> names_;
};

// Bright pixels (the test camera's white ball) in the area, every fourth pixel in each direction.
int BrightPixels(const QImage& picture, const QRect& area) {
    int bright = 0;
    for (int y = area.top(); y <= area.bottom(); y += 4) {
        for (int x = area.left(); x <= area.right(); x += 4) {
            bright += qGray(picture.pixel(x, y)) > 230;
        }
    }
    return bright;
}

QImage Screen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

void Keep(const QImage& shot, const char* name) {
    shot.save(QString::fromStdString((vantor_test::ScreenshotFolder() / name).string()));
}

TEST(CaptureDropOutScreen, TheNoticeShowsAndTheCameraComesBackWithThePhotoKept) {
    if (const std::string missing = vantor_test::MissingDisplay(); !missing.empty()) {
        GTEST_FAIL() << missing;
    }
    vantor_test::TestFolder folder;
    folder.CopyInstalled({"Bin", "Template", "images", "res"});
    vantor_test::WorkingFolderScope scope(folder.path());
    vantor::LoadProcessLanguageTable();
    vantor::RecordingMessageBoxes boxes;
    vantor::ScopedMessageBoxService service(boxes);
    // Two seconds of pictures, three seconds away, twice; then it stays.
    const ScopedEnvironment camera({{"VANTOR_TEST_CAMERA", "drop"},
                                    {"VANTOR_TEST_CAMERA_FRAMES", "60"},
                                    {"VANTOR_TEST_CAMERA_AWAY", "3000"},
                                    {"VANTOR_TEST_CAMERA_DROPS", "2"}});
    vantor::ManualClock clock({2026, 12, 8, 20, 15, 0});
    FakeMicrophoneState microphone;
    GuestCounter guests;
    CaptureWindowServices services;
    services.clock = &clock;
    services.open_microphone = FakeMicrophones(microphone);
    CTravenorDlg window(guests, nullptr, services);
    window.show();
    auto* preview = qobject_cast<CameraPreview*>(window.Preview());
    ASSERT_NE(preview, nullptr);
    QElapsedTimer timer;
    timer.start();
    qint64 last_frame = -1;
    QObject::connect(preview, &CameraPreview::frameShown, [&] { last_frame = timer.elapsed(); });
    // Live: frames keep coming and the preview shows one.
    auto live = [&] {
        const long long before = preview->PresentedFrames();
        return vantor_test::WaitUntil(
            [&] { return preview->PresentedFrames() >= before + 5 && !preview->ShownFrame().isNull(); },
            10000);
    };
    ASSERT_TRUE(live()) << "no live picture";

    // The first drop-out: the notice within two seconds of the last frame, and nothing frozen.
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return window.IsCameraLost(); }, kLongWait));
    const qint64 noticed = timer.elapsed();
    EXPECT_LE(noticed - last_frame, 2000) << "noticed " << noticed - last_frame << " ms after the last frame";
    CameraNotice* notice = window.CameraLostNotice();
    ASSERT_TRUE(notice->isVisible());
    const QRect on_screen(window.mapToGlobal(notice->geometry().topLeft()), notice->size());
    QImage shot;
    ASSERT_TRUE(vantor_test::WaitUntil([&] {
        shot = Screen();
        return BrightPixels(shot, on_screen) > 20;
    })) << "the notice is not on the screen";
    Keep(shot, "capture_camera_notice.png");
    EXPECT_TRUE(preview->ShownFrame().isNull()) << "the last frame is not left on screen";

    // Back by itself: the live picture, and no notice.
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !window.IsCameraLost(); }, kLongWait));
    EXPECT_FALSE(notice->isVisible());
    ASSERT_TRUE(live()) << "the live picture did not come back";
    EXPECT_TRUE(window.Camera()->IsOpened());

    // A photo with ink lives through the second drop-out and is saved with its plain photo.
    clock.AdvanceSeconds(1);
    window.TakePhoto();
    ASSERT_TRUE(window.IsCaptured());
    const QPoint from(window.PreviewRect().width() / 4, window.PreviewRect().height() * 3 / 4);
    for (const auto& [type, at, held] :
         {std::tuple{QEvent::MouseButtonPress, from, Qt::LeftButton},
          std::tuple{QEvent::MouseMove, from + QPoint(200, -40), Qt::LeftButton},
          std::tuple{QEvent::MouseButtonRelease, from + QPoint(200, -40), Qt::NoButton}}) {
        QMouseEvent event(type, QPointF(at), window.mapToGlobal(QPointF(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
    }
    ASSERT_EQ(window.Strokes().size(), 1u);
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return window.IsCameraLost(); }, kLongWait));
    EXPECT_TRUE(window.IsCaptured());
    EXPECT_FALSE(notice->isVisible());
    Keep(Screen(), "capture_camera_notice_photo_kept.png");
    clock.AdvanceSeconds(1);
    window.Save();
    EXPECT_FALSE(window.IsCaptured());
    const fs::path day = folder.path() / "Storage" / "2026-12-8";
    EXPECT_TRUE(fs::exists(day / "WithTemplate" / "20-15-2.jpg"));
    EXPECT_TRUE(fs::exists(day / "NoTemplate" / "20-15-2.jpg")) << "the photo taken before the drop-out";

    // After the save animation the camera is still away or already back; either way it ends live.
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return window.Preview()->isVisible(); }, 10000));
    EXPECT_EQ(notice->isVisible(), window.IsCameraLost());
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return !window.IsCameraLost(); }, kLongWait));
    ASSERT_TRUE(live());
    EXPECT_FALSE(notice->isVisible());
    EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
