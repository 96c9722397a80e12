// The capture window when its camera drops out, offscreen with a camera the test drives: the
// notice over the live picture in the interface language, a photo on screen kept with its ink and
// saved, a photo taken while the camera is away, and the notice gone when the camera is back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include "capture/camera_notice.h"
#include "capture/capture_layout.h"
#include "capture/travenor_dlg.h"
#include "fake_microphone.h"
#include "overlay/child_dialog.h"
#include "pen/alpha_pen.h"
#include "platform/local_clock.h"
#include "platform/message_box.h"
#include "test_folder.h"
#include "language/language.h"
#include "text/qt_text.h"

namespace {

namespace fs = std::filesystem;

constexpr QSize kScreen(960, 540);  // preview 720 x 540
const QColor kFrameColour(0, 180, 0);

// A camera whose drop-outs the test makes: its preview paints one colour while it delivers, and
// nothing while it is away, as the station's camera clears its preview.
class DroppingCamera : public CaptureCamera {
  public:
    struct State {
        bool delivering = true;
        std::function<void(bool)> drop_outs;
        QWidget* preview = nullptr;

        void DropOut() { Tell(true); }
        void ComeBack() { Tell(false); }

      private:
        void Tell(bool lost) {
            delivering = !lost;
            preview->update();
            drop_outs(lost);
        }
    };
    explicit DroppingCamera(State& state) : state_(state) {}

    QWidget* CreatePreview(QWidget* parent) override {
        state_.preview = new Preview(parent, state_);
        return state_.preview;
    }
    void ChooseDevice(QWidget*) override {}
    void SetDisplayRect(int, int, int, int) override {}
    void StartOpening(std::function<void(bool)> opened) override { opened(true); }
    void WatchDropOuts(std::function<void(bool)> changed) override { state_.drop_outs = std::move(changed); }
    void Close() override {}
    bool IsOpened() const override { return state_.delivering; }
    QSize FrameSize() const override { return {640, 480}; }
    QImage CopyFrame() const override {
        QImage frame(FrameSize(), QImage::Format_RGB888);
        frame.fill(kFrameColour);
        return frame;
    }

  private:
    class Preview : public QWidget {
      public:
        Preview(QWidget* parent, State& state) : QWidget(parent), state_(state) {}
        void paintEvent(QPaintEvent*) override {
            if (state_.delivering) {
                QPainter(this).fillRect(rect(), kFrameColour);
            }
        }
        State& state_;
    };
    State& state_;
};

// Pixels of the picture inside the area that are nearly white (the notice's heading).
int WhitePixels(const QImage& picture, const QRect& area) {
    int white = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            white += qGray(picture.pixel(x, y)) > 235;
        }
    }
    return white;
}

class CaptureCameraNotice : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_.CopyInstalled({"Bin"});
        CAlphaPen::ResetSharedPositions();
        clock_.Set({2026, 12, 8, 20, 15, 0});
    }
    void TearDown() override { vantor::ProcessLanguageTable().Clear(); }

    std::unique_ptr<CTravenorDlg> Open(int language = 1) {
        vantor::ProcessLanguageTable().Load(u"Bin\\language.txt", language);
        CaptureWindowServices services;
        services.make_camera = [this] { return std::make_unique<DroppingCamera>(camera_); };
        services.clock = &clock_;
        services.screen_size = kScreen;
        services.seat_search_visible = [] { return false; };
        services.play_sound = [](const tstring&) {};
        services.open_microphone = FakeMicrophones(microphone_);
        auto window = std::make_unique<CTravenorDlg>(guests_, nullptr, services);
        window->show();
        return window;
    }
    void Key(CTravenorDlg& window, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&window, &press);
    }
    void Stroke(CTravenorDlg& window, QPoint from, QPoint to) {
        for (const auto& [type, at, held] : {std::tuple{QEvent::MouseButtonPress, from, Qt::LeftButton},
                                             std::tuple{QEvent::MouseMove, to, Qt::LeftButton},
                                             std::tuple{QEvent::MouseButtonRelease, to, Qt::NoButton}}) {
            const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, QPointF(at), window.mapToGlobal(QPointF(at)), button, held,
                              Qt::NoModifier);
            QApplication::sendEvent(&window, &event);
        }
    }
    fs::path Day() const { return folder_.path() / "Storage" / "2026-12-8"; }

    vantor_test::TestFolder folder_;
    vantor_test::WorkingFolderScope scope_{folder_.path()};
    vantor::ManualClock clock_;
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService service_{boxes_};
    GuestCounter guests_;
    FakeMicrophoneState microphone_;
    DroppingCamera::State camera_;
};

TEST_F(CaptureCameraNotice, ShowsOverTheLivePictureInTheInterfaceLanguageUntilTheCameraIsBack) {
    auto window = Open();
    CameraNotice* notice = window->CameraLostNotice();
    ASSERT_NE(notice, nullptr);
    EXPECT_FALSE(notice->isVisible());

    camera_.DropOut();
    EXPECT_TRUE(window->IsCameraLost());
    ASSERT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->Heading(), QString::fromUtf8("摄像头暂时没有画面"));
    EXPECT_TRUE(notice->Help().startsWith(QString::fromUtf8("正在重新连接摄像头")))
        << notice->Help().toStdString();
    EXPECT_TRUE(notice->Help().contains(QLatin1Char('\n'))) << "the table's \\n is a line break";
    // Over the preview and above the template frame, where the guest looks.
    EXPECT_TRUE(window->PreviewRect().contains(notice->geometry()));
    EXPECT_TRUE(notice->geometry().contains(window->PreviewRect().center()));
    const QObjectList& layers = window->children();
    EXPECT_GT(layers.indexOf(notice), layers.indexOf(window->Overlay()));
    const QImage seen = window->grab(window->PreviewRect()).toImage();
    EXPECT_GT(WhitePixels(seen, notice->geometry()), 100) << "the heading is drawn";

    camera_.ComeBack();
    EXPECT_FALSE(window->IsCameraLost());
    EXPECT_FALSE(notice->isVisible());
    window.reset();

    window = Open(2);
    camera_.DropOut();
    EXPECT_EQ(window->CameraLostNotice()->Heading(), QStringLiteral("The camera has stopped"));
    EXPECT_TRUE(window->CameraLostNotice()->isVisible());
}

TEST_F(CaptureCameraNotice, APhotoOnScreenKeepsItsInkThroughADropOutAndIsSaved) {
    auto window = Open();
    clock_.AdvanceSeconds(1);
    Key(*window, Qt::Key_Space);
    ASSERT_TRUE(window->IsCaptured());
    ASSERT_TRUE(fs::exists(folder_.path() / "temp.jpg"));
    Stroke(*window, {100, 300}, {200, 300});
    const QImage still = window->Still();

    camera_.DropOut();
    EXPECT_FALSE(window->CameraLostNotice()->isVisible())
        << "never over the photo: it would be saved with it";
    EXPECT_TRUE(window->IsCaptured());
    EXPECT_EQ(window->Strokes().size(), 1u);
    EXPECT_EQ(window->Still(), still);

    clock_.AdvanceSeconds(1);
    Key(*window, Qt::Key_Space);
    EXPECT_FALSE(window->IsCaptured());
    EXPECT_EQ(guests_.Count(), 1);
    EXPECT_TRUE(fs::exists(Day() / "WithTemplate" / "20-15-2.jpg"));
    const QImage plain(QString::fromStdString((Day() / "NoTemplate" / "20-15-2.jpg").string()));
    ASSERT_EQ(plain.size(), QSize(640, 480)) << "the photo taken before the drop-out";
    EXPECT_NEAR(plain.pixelColor(320, 240).green(), kFrameColour.green(), 12);
    // Back to the live picture, which is still away.
    EXPECT_TRUE(window->CameraLostNotice()->isVisible());
    camera_.ComeBack();
    EXPECT_FALSE(window->CameraLostNotice()->isVisible());
}

TEST_F(CaptureCameraNotice, APhotoWhileTheCameraIsAwayHasTheFrameButNeitherNoticeNorOldPicture) {
    auto window = Open();
    camera_.DropOut();
    const QRect notice = window->CameraLostNotice()->geometry();
    clock_.AdvanceSeconds(1);
    Key(*window, Qt::Key_Space);
    ASSERT_TRUE(window->IsCaptured());
    EXPECT_FALSE(window->CameraLostNotice()->isVisible());
    EXPECT_FALSE(fs::exists(folder_.path() / "temp.jpg")) << "no camera picture to keep";
    EXPECT_EQ(WhitePixels(window->Still(), notice), 0) << "the notice is not in the photo";
    EXPECT_LT(qGreen(window->Still().pixel(window->PreviewRect().center())), 40) << "nor the last frame";

    // The camera comes back while the guest writes: the photo stays until it is saved.
    camera_.ComeBack();
    Stroke(*window, {100, 300}, {200, 300});
    EXPECT_TRUE(window->IsCaptured());
    clock_.AdvanceSeconds(1);
    Key(*window, Qt::Key_Space);
    EXPECT_EQ(guests_.Count(), 1);
    EXPECT_TRUE(fs::exists(Day() / "WithTemplate" / "20-15-2.jpg"));
    EXPECT_FALSE(fs::exists(Day() / "NoTemplate" / "20-15-2.jpg"));
    EXPECT_FALSE(window->CameraLostNotice()->isVisible());
}

TEST_F(CaptureCameraNotice, TheNoticeFollowsTheFrameSwitchAndWaitsOutTheDiscard) {
    // A frame whose opening is the middle of the preview: (150, 100) to (570, 420) on screen.
    QImage frame(1440, 1080, QImage::Format_ARGB32);
    frame.fill(QColor(200, 30, 60));
    QPainter painter(&frame);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillRect(QRect(300, 200, 840, 640), Qt::transparent);
    painter.end();
    fs::create_directories(folder_.path() / "Template");
    ASSERT_TRUE(frame.save(QString::fromStdString((folder_.path() / "Template" / "a.png").string())));
    auto window = Open();
    camera_.DropOut();
    const QRect in_opening = window->CameraLostNotice()->geometry();
    EXPECT_TRUE(QRect(150, 100, 420, 320).contains(in_opening))
        << "in the frame's opening " << in_opening.x() << "," << in_opening.y() << " " << in_opening.width()
        << "x" << in_opening.height();
    window->ToggleFrame();  // the whole preview shows the camera
    const QRect whole = window->CameraLostNotice()->geometry();
    EXPECT_TRUE(window->PreviewRect().contains(whole));
    EXPECT_GT(whole.width(), in_opening.width());
    EXPECT_TRUE(window->CameraLostNotice()->isVisible());
    clock_.AdvanceSeconds(1);
    window->TakePhoto();
    EXPECT_FALSE(window->CameraLostNotice()->isVisible());
    window->Discard();
    EXPECT_TRUE(window->CameraLostNotice()->isVisible());
}

}  // namespace
