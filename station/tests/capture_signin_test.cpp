// A sign-in from end to end, offscreen with a GStreamer test camera: photo, handwriting, save,
// and what lands on disk.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QListWidget>
#include <QPainter>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include "capture/capture_layout.h"
#include "capture/travenor_dlg.h"
#include "overlay/child_dialog.h"
#include "pen/alpha_pen.h"
#include "platform/local_clock.h"
#include "platform/message_box.h"
#include "fake_microphone.h"
#include "test_folder.h"
#include "print_queue.h"
#include "test_gif.h"
#include "language/language.h"
#include "ui_wait.h"

namespace {

namespace fs = std::filesystem;
using vantor_test::WaitUntil;

constexpr QSize kScreen(960, 540);  // preview 720 x 540

// A 1440 x 1080 frame of one colour with a transparent rectangle in the middle.
void WriteTemplate(const fs::path& file, QColor colour) {
    QImage frame(1440, 1080, QImage::Format_ARGB32);
    frame.fill(colour);
    QPainter painter(&frame);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillRect(QRect(300, 200, 840, 640), Qt::transparent);
    painter.end();
    ASSERT_TRUE(frame.save(QString::fromStdString(file.string()), "PNG"));
}

bool Near(QRgb pixel, QColor wanted, int tolerance = 40) {
    return std::abs(qRed(pixel) - wanted.red()) <= tolerance &&
           std::abs(qGreen(pixel) - wanted.green()) <= tolerance &&
           std::abs(qBlue(pixel) - wanted.blue()) <= tolerance;
}

int BrightPixels(const QImage& picture, QRect area) {
    int bright = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            bright += qGray(picture.pixel(x, y)) > 200;
        }
    }
    return bright;
}

// A camera whose picture the test sets: its preview paints one colour over the whole preview while
// it "has a frame", and nothing otherwise.
class FakeCamera : public CaptureCamera {
  public:
    struct State {
        std::optional<QColor> frame;  // nothing: no picture (no camera, or before the first frame)
        std::function<void(bool)> opened;
    };
    explicit FakeCamera(State& state) : state_(state) {}

    QWidget* CreatePreview(QWidget* parent) override { return new Preview(parent, state_); }
    void ChooseDevice(QWidget*) override {}
    void SetDisplayRect(int, int, int, int) override {}
    void StartOpening(std::function<void(bool)> opened) override { state_.opened = std::move(opened); }
    void Close() override {}
    bool IsOpened() const override { return true; }
    QSize FrameSize() const override { return {640, 480}; }
    QImage CopyFrame() const override {
        if (!state_.frame) {
            return {};
        }
        QImage frame(FrameSize(), QImage::Format_RGB888);
        frame.fill(*state_.frame);
        return frame;
    }

  private:
    class Preview : public QWidget {
      public:
        Preview(QWidget* parent, State& state) : QWidget(parent), state_(state) {}
        void paintEvent(QPaintEvent*) override {
            if (state_.frame) {
                QPainter(this).fillRect(rect(), *state_.frame);
            }
        }
        State& state_;
    };
    State& state_;
};

class CaptureSignIn : public ::testing::Test {
  protected:
    void SetUp() override {
        scope_ = std::make_unique<vantor_test::WorkingFolderScope>(folder_.path());
        folder_.Write("Bin/config.ini", "[camera]\r\nwidth=640\r\nheight=480\r\n[config]\r\nMAXALPHA =0\r\n");
        fs::create_directories(folder_.path() / "Template");
        qputenv("VANTOR_TEST_CAMERA", "vga");
        CAlphaPen::ResetSharedPositions();
        clock_.Set({2026, 12, 8, 9, 5, 7});
    }
    void TearDown() override { qunsetenv("VANTOR_TEST_CAMERA"); }

    std::unique_ptr<CTravenorDlg> Open(FakeCamera::State* fake = nullptr,
                                       CaptureWindowServices services = {}) {
        if (fake) {
            services.make_camera = [fake] { return std::make_unique<FakeCamera>(*fake); };
        }
        services.clock = &clock_;
        services.screen_size = kScreen;
        services.seat_search_visible = [this] { return seat_search_visible_; };
        services.play_sound = [this](const tstring& path) { sounds_.push_back(path); };
        services.open_microphone = FakeMicrophones(microphone_);
        auto window = std::make_unique<CTravenorDlg>(guests_, nullptr, services);
        window->show();
        return window;
    }
    // The live picture has arrived: the test camera's white ball shows in the opening.
    static bool LivePictureShown(CTravenorDlg& window) {
        return BrightPixels(window.grab(window.PreviewRect()).toImage(), QRect(152, 102, 416, 316)) > 50;
    }
    void Key(CTravenorDlg& window, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&window, &press);
    }
    void Mouse(CTravenorDlg& window, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), window.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
    }
    void Stroke(CTravenorDlg& window, const std::vector<QPoint>& points) {
        Mouse(window, QEvent::MouseButtonPress, points.front(), Qt::LeftButton);
        for (std::size_t i = 1; i < points.size(); ++i) {
            Mouse(window, QEvent::MouseMove, points[i], Qt::LeftButton);
        }
        Mouse(window, QEvent::MouseButtonRelease, points.back(), Qt::NoButton);
    }
    fs::path Day() const { return folder_.path() / "Storage" / "2026-12-8"; }
    // The record button's two faces, so that the face shows whether the window thinks it records.
    void WriteRecordFaces() {
        fs::create_directories(folder_.path() / "images" / "wedding" / "CapWindow");
        for (const char* face : {"record.jpg", "recording.jpg"}) {
            QImage picture(40, 20, QImage::Format_RGB32);
            picture.fill(Qt::red);
            const fs::path file = folder_.path() / "images" / "wedding" / "CapWindow" / face;
            ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "JPG"));
        }
    }
    // A photo and a voice message of `bytes` samples being recorded.
    void PhotoWithVoice(CTravenorDlg& window, std::size_t bytes) {
        clock_.AdvanceSeconds(1);
        window.PhotoOrSave();
        window.RunCommand(kIdRecord);
        ASSERT_EQ(window.FaceFile(kIdRecord), u"recording.jpg");
        microphone_.Deliver(bytes, 0x90);
        QApplication::processEvents();
    }
    static int FileCount(const fs::path& dir) {
        if (!fs::is_directory(dir)) {
            return 0;
        }
        return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    vantor_test::TestFolder folder_;
    std::unique_ptr<vantor_test::WorkingFolderScope> scope_;
    vantor::ManualClock clock_;
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService service_{boxes_};
    bool seat_search_visible_ = false;
    GuestCounter guests_;
    std::vector<tstring> sounds_;
    FakeMicrophoneState microphone_;
};

TEST_F(CaptureSignIn, PhotoInkAndSaveLandInTodaysFolders) {
    WriteTemplate(folder_.path() / "Template" / "a.png", QColor(200, 30, 60));
    WriteTemplate(folder_.path() / "Template" / "b.png", QColor(30, 160, 60));
    auto window = Open();
    ASSERT_EQ(window->Templates().size(), 2u);
    EXPECT_EQ(window->Overlay()->CurrentTemplateName(), u"Template\\a.png");
    EXPECT_EQ(window->PreviewRect(), QRect(0, 0, 720, 540));
    ASSERT_TRUE(WaitUntil([&] { return LivePictureShown(*window); }))
        << "no live picture from the test camera";

    clock_.AdvanceSeconds(1);
    Key(*window, Qt::Key_Space);
    ASSERT_TRUE(window->IsCaptured());
    EXPECT_TRUE(fs::exists(folder_.path() / "temp.jpg"));
    EXPECT_EQ(window->Still().size(), QSize(720, 540));
    EXPECT_FALSE(window->Overlay()->isVisible());
    // The still shows the frame around the camera picture (the test camera's white ball on black).
    EXPECT_TRUE(Near(window->Still().pixel(40, 40), QColor(200, 30, 60), 8));
    EXPECT_GT(BrightPixels(window->Still(), QRect(152, 102, 416, 316)), 50)
        << "camera picture in the opening";

    // A second press in the same second neither saves nor counts.
    Key(*window, Qt::Key_Space);
    EXPECT_TRUE(window->IsCaptured());
    EXPECT_EQ(guests_.Count(), 0);
    EXPECT_FALSE(fs::exists(Day()));

    // Ink across the frame's left border, where the template colour lies under it.
    Stroke(*window, {{20, 300}, {60, 300}, {100, 300}, {140, 300}});
    EXPECT_EQ(window->Strokes().size(), 3u);
    // Backspace erases, then write again.
    Key(*window, Qt::Key_Backspace);
    EXPECT_TRUE(window->Strokes().empty());
    Stroke(*window, {{20, 300}, {60, 300}, {100, 300}, {140, 300}, {140, 301}});

    clock_.AdvanceSeconds(1);
    window->RunCommand(kIdPhotoSave);
    EXPECT_FALSE(window->IsCaptured());
    EXPECT_TRUE(window->Strokes().empty());
    EXPECT_EQ(guests_.Count(), 1);
    EXPECT_FALSE(fs::exists(folder_.path() / "temp.jpg"));
    EXPECT_TRUE(fs::is_directory(Day() / "Audio"));
    EXPECT_EQ(window->Overlay()->CurrentTemplateName(), u"Template\\b.png");
    EXPECT_TRUE(window->Overlay()->isVisible());
    EXPECT_EQ(window->LastSavedPicture(), u"Storage\\2026-12-8\\WithTemplate\\9-5-9.jpg");

    const QImage composed(QString::fromStdString((Day() / "WithTemplate" / "9-5-9.jpg").string()));
    ASSERT_FALSE(composed.isNull());
    EXPECT_EQ(composed.size(), QSize(720, 540));
    EXPECT_TRUE(Near(composed.pixel(40, 40), QColor(200, 30, 60))) << "template pixel";
    EXPECT_TRUE(Near(composed.pixel(60, 300), QColor(0, 0, 0), 60)) << "ink over the frame";
    EXPECT_TRUE(Near(composed.pixel(60, 320), QColor(200, 30, 60))) << "no ink beside the stroke";
    // The red time stamp at (width - 200, height - 40).
    int red = 0;
    for (int y = 540 - 40; y < 540 - 20; ++y) {
        for (int x = 720 - 200; x < 720 - 60; ++x) {
            const QRgb p = composed.pixel(x, y);
            red += qRed(p) > 200 && qGreen(p) < 90 && qBlue(p) < 90;
        }
    }
    EXPECT_GT(red, 30) << "time stamp";
    const QImage plain(QString::fromStdString((Day() / "NoTemplate" / "9-5-9.jpg").string()));
    EXPECT_EQ(plain.size(), QSize(640, 480));

    // The next save comes back to the first template; no leftovers of the temporary names.
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_EQ(window->Overlay()->CurrentTemplateName(), u"Template\\a.png");
    EXPECT_EQ(FileCount(Day() / "WithTemplate"), 2);
    EXPECT_EQ(FileCount(Day() / "NoTemplate"), 2);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(CaptureSignIn, DiscardKeepsNothingAndOneTemplateStays) {
    WriteTemplate(folder_.path() / "Template" / "only.png", QColor(40, 40, 200));
    auto window = Open();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    ASSERT_TRUE(window->IsCaptured());
    Stroke(*window, {{300, 300}, {320, 310}});
    window->RunCommand(kIdDiscard);
    EXPECT_FALSE(window->IsCaptured());
    EXPECT_TRUE(window->Strokes().empty());
    EXPECT_FALSE(fs::exists(Day()));
    EXPECT_EQ(guests_.Count(), 0);

    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_EQ(window->Overlay()->CurrentTemplateName(), u"Template\\only.png");
    EXPECT_EQ(guests_.Count(), 1);
}

TEST_F(CaptureSignIn, WithoutACameraTheComposedPictureIsStillSaved) {
    qputenv("VANTOR_TEST_CAMERA", "busy");
    WriteTemplate(folder_.path() / "Template" / "a.png", QColor(200, 30, 60));
    auto window = Open();
    EXPECT_FALSE(window->Camera()->IsOpened());
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_FALSE(fs::exists(folder_.path() / "temp.jpg"));
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_TRUE(fs::exists(Day() / "WithTemplate" / "9-5-9.jpg"));
    EXPECT_EQ(FileCount(Day() / "NoTemplate"), 0);
    EXPECT_EQ(guests_.Count(), 1);

    // The same window at station 3 of the event names its sign-ins with the station's number.
    window.reset();
    folder_.Write("Bin/config.ini", "[station]\r\nnumber=3\r\n");
    window = Open();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_TRUE(fs::exists(Day() / "WithTemplate" / "9-5-11~3.jpg"));
}

TEST_F(CaptureSignIn, UnwritableFolderSaysThePhotoWasNotSavedAndTheGuestCanRetry) {
    // Today's folder exists, but its WithTemplate is a file: the picture cannot be written.
    fs::create_directories(Day() / "NoTemplate");
    folder_.Write("Storage/2026-12-8/WithTemplate", "not a folder");
    auto window = Open();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    Stroke(*window, {{300, 300}, {320, 310}});
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].caption, u"tips");
    EXPECT_EQ(guests_.Count(), 0);
    EXPECT_TRUE(window->LastSavedPicture().IsEmpty());
    EXPECT_TRUE(window->IsCaptured()) << "the sign-in stays on screen";
    EXPECT_EQ(window->Strokes().size(), 1u);
    EXPECT_FALSE(window->Overlay()->isVisible());

    fs::remove(Day() / "WithTemplate");
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_FALSE(window->IsCaptured());
    EXPECT_EQ(guests_.Count(), 1);
    EXPECT_EQ(FileCount(Day() / "WithTemplate"), 1);
}

TEST_F(CaptureSignIn, WithoutAPictureTheStillShowsTheFrameNotThePreviousGuest) {
    WriteTemplate(folder_.path() / "Template" / "a.png", QColor(200, 30, 60));
    FakeCamera::State camera;
    camera.frame = QColor(0, 200, 0);
    auto window = Open(&camera);
    ASSERT_TRUE(camera.opened) << "the window asks the camera to open";
    camera.opened(true);
    const QPoint in_opening(360, 270);

    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_TRUE(Near(window->Still().pixel(in_opening), QColor(0, 200, 0), 8));
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    ASSERT_EQ(guests_.Count(), 1);

    // The camera stops delivering: the next guest's photo shows an empty opening in the frame.
    camera.frame.reset();
    window->update();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    ASSERT_TRUE(window->IsCaptured());
    EXPECT_TRUE(Near(window->Still().pixel(in_opening), QColor(0, 0, 0), 8))
        << "the previous guest must not show through the opening";
    EXPECT_TRUE(Near(window->Still().pixel(40, 40), QColor(200, 30, 60), 8));
    EXPECT_FALSE(fs::exists(folder_.path() / "temp.jpg"));
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    const QImage saved(QString::fromStdString((Day() / "WithTemplate" / "9-5-11.jpg").string()));
    ASSERT_FALSE(saved.isNull());
    EXPECT_TRUE(Near(saved.pixel(in_opening), QColor(0, 0, 0)));
    EXPECT_EQ(sounds_, (std::vector<tstring>{u"Sound\\cap.wav", u"Sound\\save.wav", u"Sound\\cap.wav",
                                             u"Sound\\save.wav"}));
}

TEST_F(CaptureSignIn, ATemplateThatDoesNotDecodeIsLeftOut) {
    WriteTemplate(folder_.path() / "Template" / "a.png", QColor(200, 30, 60));
    const std::string whole = folder_.Read("Template/a.png");
    folder_.Write("Template/b.png", whole.substr(0, whole.size() / 3));  // cut short
    folder_.Write("Template/c.png", "not a picture");
    WriteTemplate(folder_.path() / "Template" / "d.png", QColor(30, 160, 60));
    auto window = Open();
    ASSERT_EQ(window->Templates().size(), 2u);
    EXPECT_EQ(window->Templates()[0].path, u"Template\\a.png");
    EXPECT_EQ(window->Templates()[1].path, u"Template\\d.png");
    EXPECT_EQ(window->TemplateList()->count(), 2);
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_EQ(window->Overlay()->CurrentTemplateName(), u"Template\\d.png");
}

TEST_F(CaptureSignIn, TheCameraOpensWithoutHoldingUpTheWindow) {
    auto window = Open();
    // The window is up before the test camera delivered its first frame ...
    EXPECT_FALSE(window->Camera()->IsOpened());
    // ... and the live picture follows.
    EXPECT_TRUE(WaitUntil([&] { return window->Camera()->IsOpened(); }));
    EXPECT_TRUE(WaitUntil([&] { return LivePictureShown(*window); }));
}

// A key from the keyboard goes to the focused control and climbs to the window when the control
// ignores it; F9 must start one recording, not a second one that reports "11".
TEST_F(CaptureSignIn, F9OnAFocusedControlRecordsOnce) {
    auto window = Open();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    ASSERT_TRUE(window->IsCaptured());
    QWidget* control = window->Control(kIdPrint);
    ASSERT_NE(control, nullptr);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F9, Qt::NoModifier);
    QApplication::sendEvent(control, &press);
    EXPECT_TRUE(microphone_.IsOpen());
    EXPECT_TRUE(boxes_.Boxes().empty()) << "recorded again on the way up to the window";
}

TEST_F(CaptureSignIn, AVoiceMessageIsRecordedWithThePhotoAndSavedUnderItsStem) {
    WriteRecordFaces();
    auto window = Open();
    // F9 before the photo: "10".
    Key(*window, Qt::Key_F9);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, GetLanStr(u"10"));
    EXPECT_FALSE(microphone_.IsOpen());

    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    Key(*window, Qt::Key_F9);
    EXPECT_TRUE(microphone_.IsOpen());
    EXPECT_EQ(window->FaceFile(kIdRecord), u"recording.jpg");
    window->RunCommand(kIdRecord);  // already recording: "11"
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(boxes_.Boxes()[1].text, GetLanStr(u"11"));
    microphone_.Deliver(10000, 0x90);
    microphone_.partial.assign(1234, 0x70);

    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_EQ(window->FaceFile(kIdRecord), u"record.jpg");
    EXPECT_FALSE(microphone_.IsOpen());
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(Day() / "Audio" / "9-5-9.wav"); }));
    EXPECT_EQ(fs::file_size(Day() / "Audio" / "9-5-9.wav"), 46u + 11234u);
    EXPECT_TRUE(fs::exists(Day() / "WithTemplate" / "9-5-9.jpg"));

    // A discarded photo throws its message away; the next one starts empty.
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    window->RunCommand(kIdRecord);
    microphone_.Deliver(10000, 0x10);
    window->RunCommand(kIdDiscard);
    EXPECT_EQ(window->FaceFile(kIdRecord), u"record.jpg");
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    window->RunCommand(kIdRecord);
    EXPECT_EQ(window->Session().Recorder().RecordedBytes(), 0u);
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    QApplication::processEvents();
    EXPECT_EQ(FileCount(Day() / "Audio"), 1) << "neither the discarded nor the empty message is written";
}

TEST_F(CaptureSignIn, AVoiceMessageThatCannotBeWrittenNeverCostsThePhoto) {
    WriteRecordFaces();
    folder_.Write("Storage/2026-12-8/Audio", "a file where the folder should be");
    FakeCamera::State camera;
    camera.frame = QColor(0, 200, 0);
    auto window = Open(&camera);
    PhotoWithVoice(*window, 10000);
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, GetLanStr(u"58")) << "only the voice message is lost";
    EXPECT_FALSE(window->IsCaptured());
    EXPECT_EQ(guests_.Count(), 1);
    EXPECT_TRUE(fs::exists(Day() / "WithTemplate" / "9-5-9.jpg"));
    EXPECT_TRUE(fs::exists(Day() / "NoTemplate" / "9-5-9.jpg"));
    EXPECT_EQ(window->FaceFile(kIdRecord), u"record.jpg");
}

TEST_F(CaptureSignIn, AfterAFailedSaveTheRecordButtonShowsTheRecordingHasEnded) {
    WriteRecordFaces();
    folder_.Write("Storage/2026-12-8/WithTemplate", "a file where the folder should be");
    auto window = Open();
    PhotoWithVoice(*window, 5000);
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    ASSERT_TRUE(window->IsCaptured());
    EXPECT_FALSE(microphone_.IsOpen());
    EXPECT_EQ(window->FaceFile(kIdRecord), u"record.jpg");
    // The next press records again, added to what the failed save kept.
    window->RunCommand(kIdRecord);
    EXPECT_EQ(boxes_.Boxes().size(), 1u) << "no \"11\" for a recording that had ended";
    EXPECT_EQ(window->FaceFile(kIdRecord), u"recording.jpg");
    microphone_.Deliver(3000, 0x70);
    fs::remove(Day() / "WithTemplate");
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_FALSE(window->IsCaptured());
    EXPECT_EQ(fs::file_size(Day() / "Audio" / "9-5-10.wav"), 46u + 8000u);
}

TEST_F(CaptureSignIn, AMicrophoneThatStopsMidMessageIsToldAndItsMessageKept) {
    WriteRecordFaces();
    auto window = Open();
    PhotoWithVoice(*window, 10000);
    microphone_.partial.assign(500, 0x90);
    microphone_.StopByItself();
    ASSERT_TRUE(WaitUntil([&] { return !boxes_.Boxes().empty(); }));
    EXPECT_EQ(boxes_.Boxes()[0].text, GetLanStr(u"57"));
    EXPECT_EQ(window->FaceFile(kIdRecord), u"record.jpg");
    EXPECT_FALSE(window->Session().IsRecording());
    EXPECT_FALSE(microphone_.IsOpen());
    // Recording again goes on from there; the save writes both parts.
    window->RunCommand(kIdRecord);
    EXPECT_EQ(microphone_.opened, 2);
    microphone_.Deliver(2000, 0x70);
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_EQ(fs::file_size(Day() / "Audio" / "9-5-9.wav"), 46u + 12500u);
    EXPECT_EQ(boxes_.Boxes().size(), 1u);
}

TEST_F(CaptureSignIn, TheSaveAnimationPlaysOnceThenThePreviewComesBack) {
    WriteTemplate(folder_.path() / "Template" / "a.png", QColor(200, 30, 60));
    const fs::path gifs = folder_.path() / "images" / "wedding" / "Gif";
    vantor_test::CopyTestGif("once_slow.gif", gifs / "Save.gif");
    vantor_test::CopyTestGif("idle_loop.gif", gifs / "Normal.gif");
    auto window = Open();
    ASSERT_NE(window->IdleAnimation(), nullptr);
    EXPECT_TRUE(window->IdleAnimation()->isVisible());
    EXPECT_EQ(window->IdleAnimation()->geometry(), window->TemplateList()->geometry());
    ASSERT_NE(window->SaveAnimation(), nullptr);
    EXPECT_FALSE(window->SaveAnimation()->isVisible());

    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_EQ(guests_.Count(), 1);
    EXPECT_TRUE(window->SaveAnimation()->isVisible());
    EXPECT_EQ(window->SaveAnimation()->geometry(), window->PreviewRect());
    EXPECT_FALSE(window->Preview()->isVisible());
    EXPECT_FALSE(window->Overlay()->isVisible());
    // No photo while it plays.
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_FALSE(window->IsCaptured());

    ASSERT_TRUE(WaitUntil([&] { return window->Preview()->isVisible(); }))
        << "the end message brings the preview back";
    EXPECT_TRUE(window->Overlay()->isVisible());
    EXPECT_FALSE(window->SaveAnimation()->isVisible());
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_TRUE(window->IsCaptured());
}

TEST_F(CaptureSignIn, WithTheFrameHiddenThePhotoStillWaitsForTheSaveAnimation) {
    vantor_test::CopyTestGif("once_slow.gif", folder_.path() / "images" / "wedding" / "Gif" / "Save.gif");
    auto window = Open();
    window->RunCommand(kIdShowHideFrame);
    ASSERT_FALSE(window->IsFrameShown());
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    ASSERT_TRUE(window->SaveAnimation()->isVisible());
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_FALSE(window->IsCaptured()) << "no photo of the animation";
    ASSERT_TRUE(WaitUntil([&] { return window->Preview()->isVisible(); }));
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_TRUE(window->IsCaptured());
}

TEST_F(CaptureSignIn, ABrokenSaveAnimationBringsThePreviewBackAtOnce) {
    folder_.Write("images/wedding/Gif/Save.gif", "GIF89a broken");
    auto window = Open();
    EXPECT_EQ(window->SaveAnimation(), nullptr);
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    EXPECT_TRUE(window->Preview()->isVisible());
    EXPECT_TRUE(window->Overlay()->isVisible());
}

TEST_F(CaptureSignIn, TheLastSavedPictureOfTheWindowPrints) {
    std::string why;
    const fs::path output = vantor_test::PrintOutputFolder(why);
    ASSERT_FALSE(output.empty()) << why;
    const vantor_test::PrintQueueLock lock(output);
    WriteTemplate(folder_.path() / "Template" / "a.png", QColor(30, 60, 200));
    CaptureWindowServices services;
    services.printer.setup_dialog = [] { return std::make_unique<vantor_test::ConfirmingPrintDialog>(); };
    services.printer.screen_size = [] { return QSize(1920, 1080); };
    auto window = Open(nullptr, services);

    // Nothing saved in this window yet: "8" / "9".
    window->RunCommand(kIdPrint);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].caption, GetLanStr(u"9"));

    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    clock_.AdvanceSeconds(1);
    window->PhotoOrSave();
    const auto before = vantor_test::PrintedFiles(output);
    boxes_.Script({vantor::MessageAnswer::Yes});  // fill the page
    window->RunCommand(kIdPrint);
    EXPECT_TRUE(window->Printing().FillPage());
    const fs::path job = vantor_test::WaitForNewJob(output, before);
    ASSERT_FALSE(job.empty()) << "no job came out of the CUPS queue";
    const QImage page = vantor_test::RenderPdfPage(job, 40);
    ASSERT_FALSE(page.isNull());
    // The frame's blue fills the page's printable area up to its corner.
    const QRect area = window->Printing().Printer().Printer()->pageLayout().paintRectPixels(40);
    EXPECT_TRUE(Near(page.pixel(area.x() + 4, area.y() + 4), QColor(30, 60, 200), 50));
    EXPECT_TRUE(Near(page.pixel(area.right() - 4, area.bottom() - 4), QColor(30, 60, 200), 50));
}

TEST_F(CaptureSignIn, KeysPensFrameSwitchAndLeaving) {
    WriteTemplate(folder_.path() / "Template" / "a.png", QColor(200, 30, 60));
    auto window = Open();

    // While the seat search shows, Space is left to it.
    seat_search_visible_ = true;
    clock_.AdvanceSeconds(1);
    Key(*window, Qt::Key_Space);
    EXPECT_FALSE(window->IsCaptured());
    seat_search_visible_ = false;
    Key(*window, Qt::Key_Escape);
    Key(*window, Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());

    window->RunCommand(kIdHighlighter);
    EXPECT_EQ(window->PenKind(), kHighlighter);
    EXPECT_EQ(window->PenWidth(), 15);
    EXPECT_EQ(window->PenColour(), CTravenorDlg::kHighlighterColour);
    window->RunCommand(kIdInkPen);
    EXPECT_EQ(window->PenKind(), kInkPen);
    EXPECT_EQ(window->PenWidth(), 3);
    EXPECT_EQ(window->PenColour(), 0u);

    window->RunCommand(kIdShowHideFrame);
    EXPECT_FALSE(window->IsFrameShown());
    EXPECT_FALSE(window->Overlay()->isVisible());
    // With the frame hidden nothing refuses the photo.
    window->PhotoOrSave();
    EXPECT_TRUE(window->IsCaptured());
    window->RunCommand(kIdShowHideFrame);  // not while captured
    EXPECT_FALSE(window->IsFrameShown());
    window->RunCommand(kIdDiscard);
    window->RunCommand(kIdShowHideFrame);
    EXPECT_TRUE(window->IsFrameShown());

    EXPECT_TRUE(window->InsertTimeOn());
    window->RunCommand(kMenuInsertTime);
    EXPECT_FALSE(window->InsertTimeOn());

    window->RunCommand(kMenuPictureHints);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);

    folder_.Write("temp.jpg", "x");
    boxes_.Script({vantor::MessageAnswer::No});
    window->RunCommand(kIdReturn);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(fs::exists(folder_.path() / "temp.jpg"));
    boxes_.Script({vantor::MessageAnswer::Yes});
    window->RunCommand(kIdReturn);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(fs::exists(folder_.path() / "temp.jpg"));
    EXPECT_FALSE(window->Camera()->IsOpened());
}

}  // namespace
