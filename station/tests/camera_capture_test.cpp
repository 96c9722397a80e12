// The station's camera object with test cameras through the real pipeline: opening at the
// configured size or scaled with the notice, the display thread, closing, and the device choice.
#include <gtest/gtest.h>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <condition_variable>
#include <mutex>
#include "camera/camera_capture.h"
#include "camera/device_select.h"
#include "camera/test_cameras.h"
#include "platform/message_box.h"
#include "test_folder.h"

using namespace std::chrono_literals;
using namespace vantor::camera;

namespace {

constexpr auto kFrameWait = 5000ms;

TestCameraDefinition Preset(const char* key) {
    return *TestCameraPreset(key);
}

// Collects what the display thread presents.
class RecordingSink : public FrameSink {
  public:
    explicit RecordingSink(QSize client = QSize(0, 0)) : client_(client) {}
    QSize ClientSize() const override { return client_; }
    void PresentFrame(PreviewFrame frame) override {
        {
            std::lock_guard lock(mutex_);
            last_ = std::move(frame);
            ++count_;
        }
        presented_.notify_all();
    }
    bool WaitForFrames(int count) {
        std::unique_lock lock(mutex_);
        return presented_.wait_for(lock, kFrameWait, [&] { return count_ >= count; });
    }
    PreviewFrame Last() {
        std::lock_guard lock(mutex_);
        return last_;
    }

  private:
    QSize client_;
    std::mutex mutex_;  // guards last_ and count_
    std::condition_variable presented_;
    PreviewFrame last_;
    int count_ = 0;
};

class AnsweringChooser : public DeviceChooser {
  public:
    explicit AnsweringChooser(int answer) : answer_(answer) {}
    int Choose(const std::vector<tstring>& names) override {
        asked_ = names;
        return answer_;
    }
    std::vector<tstring> asked_;

  private:
    int answer_;
};

class CameraCapture : public ::testing::Test {
  protected:
    vantor::RecordingMessageBoxes boxes_;
    vantor::ScopedMessageBoxService scope_{boxes_};
};

}  // namespace

TEST_F(CameraCapture, AnUnofferedSizeIsScaledWithTheNotice) {
    TestCameraProvider provider({Preset("hd")});
    RecordingSink sink;  // outlives the camera that draws into it
    CCameraCapture camera(provider, CameraSize{800, 600});
    camera.SetDisplayWindow(&sink);
    camera.SetDisplayRect(0, 0, 800, 600);
    ASSERT_TRUE(camera.Open());
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text,
              tstring(u"目前你的摄像头只能支持:640*480\n接下来图像将会缩放\n如要不缩放,请在管理中设置"));
    EXPECT_EQ(boxes_.Boxes()[0].caption, tstring(u"Tips"));
    EXPECT_TRUE(camera.IsScaling());
    EXPECT_EQ(camera.GetWidth(), 800);
    EXPECT_EQ(camera.GetHeight(), 600);

    ASSERT_TRUE(sink.WaitForFrames(2));
    const PreviewFrame frame = sink.Last();
    EXPECT_EQ(frame.image.size(), QSize(800, 600));
    const std::vector<std::uint8_t> still = camera.CopyFrameBuffer();
    ASSERT_EQ(still.size(), 800u * 600u * 3u);
    EXPECT_NE(std::count(still.begin(), still.end(), 0), static_cast<long>(still.size()));
    camera.Close();
    EXPECT_TRUE(camera.CopyFrameBuffer().empty());
}

TEST_F(CameraCapture, AnOfferedSizeClearsScalingAndShowsNoNotice) {
    TestCameraDefinition green = Preset("hd");
    green.pattern = "solid-color";
    green.foregroundArgb = 0xff00ff00;
    TestCameraProvider provider({green});
    RecordingSink sink;
    CCameraCapture camera(provider, CameraSize{1280, 720});
    camera.SetDisplayWindow(&sink);
    ASSERT_TRUE(camera.Open());
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_FALSE(camera.IsScaling());
    ASSERT_TRUE(sink.WaitForFrames(1));
    const QColor centre = sink.Last().image.pixelColor(640, 360);
    EXPECT_LT(centre.red(), 40);
    EXPECT_GT(centre.green(), 200);
    EXPECT_LT(centre.blue(), 40);
}

TEST_F(CameraCapture, TheDisplayRectangleDefaultsToTheClientSize) {
    TestCameraProvider provider({Preset("vga")});
    RecordingSink sink(QSize(320, 240));
    {
        CCameraCapture camera(provider, CameraSize{640, 480});
        camera.SetDisplayWindow(&sink);
        ASSERT_TRUE(camera.Open());
        const DisplayRect rect = camera.DisplayRect();
        EXPECT_EQ(rect.x, 0);
        EXPECT_EQ(rect.w, 320);
        EXPECT_EQ(rect.h, 240);
        ASSERT_TRUE(sink.WaitForFrames(1));
        EXPECT_EQ(sink.Last().rect.w, 320);
    }
    CCameraCapture camera(provider, CameraSize{640, 480});
    camera.SetDisplayWindow(&sink);
    camera.SetDisplayRect(10, 20, 110, 220);  // set by the template overlay: it stays
    ASSERT_TRUE(camera.Open());
    EXPECT_EQ(camera.DisplayRect().x, 10);
    EXPECT_EQ(camera.DisplayRect().w, 100);
    EXPECT_EQ(camera.DisplayRect().h, 200);
}

TEST_F(CameraCapture, ADeviceThatCannotStartOpensNothingSilently) {
    TestCameraProvider provider({Preset("busy")});
    CCameraCapture camera(provider, CameraSize{640, 480});
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(camera.Open());
    ::testing::internal::GetCapturedStdout();
    EXPECT_FALSE(camera.IsOpened());
    EXPECT_TRUE(boxes_.Boxes().empty());
    camera.Close();
    EXPECT_TRUE(camera.CopyFrameBuffer().empty());

    TestCameraProvider none({});
    CCameraCapture noCamera(none, CameraSize{640, 480});
    EXPECT_FALSE(noCamera.Open());
}

TEST_F(CameraCapture, ClosingWhileFramesStreamThenOpeningAgain) {
    TestCameraProvider provider({Preset("hd")});
    RecordingSink sink;
    CCameraCapture camera(provider, CameraSize{1280, 720});
    camera.SetDisplayWindow(&sink);
    for (int round = 1; round <= 3; ++round) {
        ASSERT_TRUE(camera.Open());
        ASSERT_TRUE(sink.WaitForFrames(round * 2));
        camera.Close();
        EXPECT_FALSE(camera.IsOpened());
        EXPECT_FALSE(camera.DeviceSet().IsDeviceSetup(0));
    }
}

TEST_F(CameraCapture, StillCopiesRaceFreeWithTheDisplayThread) {
    TestCameraProvider provider({Preset("vga")});
    RecordingSink sink;
    CCameraCapture camera(provider, CameraSize{320, 240});  // scaled: the display thread resamples
    camera.SetDisplayWindow(&sink);
    ASSERT_TRUE(camera.Open());
    for (int frames = 1; frames <= 5; ++frames) {
        ASSERT_TRUE(sink.WaitForFrames(frames));
        EXPECT_EQ(camera.CopyFrameBuffer().size(), 320u * 240u * 3u);
    }
}

TEST_F(CameraCapture, WithTwoCamerasCancelUsesTheFirst) {
    TestCameraProvider provider({Preset("hd"), Preset("vga")});
    CCameraCapture camera(provider, CameraSize{640, 480});
    AnsweringChooser cancel(-1);
    EXPECT_EQ(ChooseCameraDevice(camera, cancel), 0);
    ASSERT_EQ(cancel.asked_.size(), 2u);
    EXPECT_EQ(cancel.asked_[0], tstring(u"Vantor Test Camera HD"));
    EXPECT_EQ(cancel.asked_[1], tstring(u"Vantor Test Camera VGA"));
    EXPECT_FALSE(camera.IsDeviceChosen());
    ASSERT_TRUE(camera.Open());
    EXPECT_EQ(camera.DeviceInUse(), 0);
    EXPECT_TRUE(camera.DeviceSet().IsDeviceSetup(0));
}

TEST_F(CameraCapture, APickedCameraIsUsedAndOutOfRangeAnswersAreNot) {
    TestCameraProvider provider({Preset("hd"), Preset("vga")});
    CCameraCapture camera(provider, CameraSize{640, 480});
    AnsweringChooser beyond(2);
    EXPECT_EQ(ChooseCameraDevice(camera, beyond), 0);
    EXPECT_FALSE(camera.IsDeviceChosen());
    AnsweringChooser second(1);
    EXPECT_EQ(ChooseCameraDevice(camera, second), 1);
    ASSERT_TRUE(camera.Open());
    EXPECT_EQ(camera.DeviceInUse(), 1);
    EXPECT_TRUE(camera.DeviceSet().IsDeviceSetup(1));
    EXPECT_FALSE(camera.DeviceSet().IsDeviceSetup(0));
}

TEST_F(CameraCapture, OneCameraAsksNothing) {
    TestCameraProvider provider({Preset("vga")});
    CCameraCapture camera(provider, CameraSize{640, 480});
    AnsweringChooser chooser(0);
    EXPECT_EQ(ChooseCameraDevice(camera, chooser), 0);
    EXPECT_TRUE(chooser.asked_.empty());
}

namespace {

// Answers the next modal DeviceSelect by selecting row (or none, -1) and clicking the button named id.
void AnswerDialog(int row, const char* buttonId) {
    QTimer::singleShot(0, [row, buttonId] {
        auto* dialog = qobject_cast<DeviceSelect*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("设备选择"));
        if (row >= 0) {
            dialog->List()->setCurrentRow(row);
        }
        dialog->findChild<QPushButton*>(buttonId)->click();
    });
}

}  // namespace

TEST_F(CameraCapture, TheDeviceSelectDialogAnswers) {
    const std::vector<tstring> names = {tstring(u"甲"), tstring(u"乙")};
    DeviceSelectChooser chooser;
    AnswerDialog(1, "2");  // a row picked, then Cancel
    EXPECT_EQ(chooser.Choose(names), -1);
    AnswerDialog(1, "1");
    EXPECT_EQ(chooser.Choose(names), 1);
    AnswerDialog(-1, "1");  // OK with nothing selected
    EXPECT_EQ(chooser.Choose(names), -1);

    DeviceSelect dialog(names);
    ASSERT_EQ(dialog.List()->count(), 2);
    EXPECT_EQ(dialog.List()->item(0)->text(), QString::fromUtf8("甲"));
    EXPECT_EQ(dialog.List()->objectName(), QStringLiteral("1019"));
    EXPECT_EQ(dialog.findChild<QPushButton*>("1")->text(), QString::fromUtf8("确定"));
    EXPECT_EQ(dialog.findChild<QPushButton*>("2")->text(), QString::fromUtf8("取消"));
}

TEST_F(CameraCapture, TheConfiguredSizeDefaultsEachValueOnItsOwn) {
    vantor_test::TestFolder folder;
    vantor_test::WorkingFolderScope inFolder(folder.path());
    folder.Write("Bin/config.ini", "[camera]\nwidth=1024\n");
    CameraSize size = ConfiguredCameraSize();
    EXPECT_EQ(size.width, 1024);
    EXPECT_EQ(size.height, 480);
    folder.Write("Bin/config.ini", "[camera]\nwidth=0\nheight=720\n");
    size = ConfiguredCameraSize();
    EXPECT_EQ(size.width, 640);
    EXPECT_EQ(size.height, 720);
    folder.Write("Bin/config.ini", "[other]\nwidth=1\n");
    TestCameraProvider provider({});
    CCameraCapture camera(provider);
    EXPECT_EQ(camera.GetWidth(), 640);
    EXPECT_EQ(camera.GetHeight(), 480);
    EXPECT_TRUE(boxes_.Boxes().empty());
}
