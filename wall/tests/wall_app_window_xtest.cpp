// The wall's main window on a real X display: folder commands through its endpoint, the built
// wall on screen, a click that brings a tile forward, refresh, delete, slideshow, the mode words
// and the end of the window. Screenshots of the wall are kept in wall_app_shots/ beside the test program.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include "engine/irr_engine.h"
#include "animation/camera_animator.h"
#include "app/wall_scene_host.h"
#include "app/zarn_dlg.h"
#include "platform/message_box.h"
#include "platform/native_path.h"
#include "platform/program_messages.h"
#include "scene/wall_manager.h"
#include "text/qt_text.h"
#include "ui/private_menu.h"
#include "wall_app_support.h"

using namespace halvix;
using halvix_test::Utf16WithTerminator;
using halvix_test::WaitUntil;

namespace {

// Pictures with a saturated colour, so that tiles are easy to find on the screen.
void WritePictures(const std::filesystem::path& folder, int count, const char* prefix = "p") {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        QImage picture(1200, 900, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv((i * 47) % 360, 255, 230));
        QPainter painter(&picture);
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setPixelSize(400);
        painter.setFont(font);
        painter.drawText(picture.rect(), Qt::AlignCenter, QString::number(i + 1));
        painter.end();
        const auto file = folder / (std::string(prefix) + std::to_string(10 + i) + ".jpg");
        ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "JPG", 90));
    }
}

tstring Logic(const std::filesystem::path& path) {
    return vantor::FromNativePath(path.string());
}

// Pixels far from the dark-blue backdrop: the share of the frame that tiles cover.
double ColourfulShare(const QImage& frame) {
    long colourful = 0;
    for (int y = 0; y < frame.height(); y += 4) {
        for (int x = 0; x < frame.width(); x += 4) {
            const QColor c = frame.pixelColor(x, y);
            if (c.hsvSaturation() > 120 && c.value() > 120 && (c.red() > 120 || c.green() > 120)) {
                ++colourful;
            }
        }
    }
    return static_cast<double>(colourful) / ((frame.width() / 4) * (frame.height() / 4));
}

void KeepShot(const QImage& frame, const char* name) {
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/wall_app_shots");
    QDir().mkpath(folder);
    frame.save(folder + QStringLiteral("/%1.png").arg(QString::fromLatin1(name)));
}

class WallWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY") ||
            QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "needs an X display";
        }
        const QString install = QDir(halvix_test::InstallFolder()).absolutePath();
        if (!QDir(install + "/images/Wall").exists()) {
            GTEST_SKIP() << "needs the installation folder";
        }
        working_ = std::make_unique<vantor_test::WorkingFolderScope>(install.toStdString());
        WallServices services;
        services.tickCount_ms = [this] { return ticks_ms_.load(); };
        services.playSound = [](const tstring&) {};
        services.workArea = QRect(0, 0, 1920, 1040);
        services.screenWidth = 1920;
        window_ = std::make_unique<CmfcZarnDlg>(services);
        ASSERT_TRUE(window_->Initialise());
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        working_.reset();
    }

    // Sends copy data as the station does, from another thread (the endpoint lives on this one).
    void Send(std::uint64_t dwData, const std::u16string& text) {
        bool sent = false;
        halvix_test::WhileServing([&] {
            const QByteArray bytes = Utf16WithTerminator(text);
            sent = vantor::SendCopyData(u"Lumarin", dwData, bytes.constData(),
                                        static_cast<std::uint32_t>(bytes.size()));
        });
        ASSERT_TRUE(sent);
    }
    void ShowFolder(const std::filesystem::path& folder) {
        Send(0, Logic(folder).GetBase());
        Send(0, u"MEDIAMODE");
        ASSERT_TRUE(WaitUntil([&] { return window_->CurrentFolder() == Logic(folder); }, 20000));
    }
    std::vector<irr::scene::ISceneNode*> Tiles() {
        WallLockGuard lock(window_->Lock());
        return window_->SceneHost()->Wall()->Tiles();
    }
    irr::scene::ISceneNode* Selected() {
        WallLockGuard lock(window_->Lock());
        return window_->SceneHost()->Animator()->Selected();
    }
    QPoint OnScreen(irr::scene::ISceneNode* tile) {
        WallLockGuard lock(window_->Lock());
        irr::scene::ISceneManager* scene = window_->SceneHost()->Device()->getSceneManager();
        const auto at = scene->getSceneCollisionManager()->getScreenCoordinatesFrom3DPosition(
            tile->getAbsolutePosition(), scene->getActiveCamera());
        return QPoint(at.X, at.Y);
    }
    irr::core::vector3df CameraPosition() {
        WallLockGuard lock(window_->Lock());
        return window_->SceneHost()->Device()->getSceneManager()->getActiveCamera()->getPosition();
    }
    void Click(QPoint at) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), window_->mapToGlobal(QPointF(at)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), window_->mapToGlobal(QPointF(at)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &release);
    }

    halvix_test::PrivateEndpoints endpoints_;
    vantor_test::TestFolder pictures_;
    std::unique_ptr<vantor_test::WorkingFolderScope> working_;
    std::atomic<std::int64_t> ticks_ms_{40000};
    std::unique_ptr<CmfcZarnDlg> window_;
};

}  // namespace

TEST_F(WallWindowTest, AFolderCommandBuildsTheWallAndAClickBringsATileForward) {
    const QImage pause = window_->CaptureFrame();
    ASSERT_FALSE(pause.isNull());
    EXPECT_EQ(pause.size(), QSize(1920, 1040));
    KeepShot(pause, "0-pause");
    EXPECT_LT(ColourfulShare(pause), 0.01);

    const auto folder = pictures_.path() / "WithTemplate";
    WritePictures(folder, 7);
    ShowFolder(folder);
    ASSERT_EQ(Tiles().size(), 7u);
    EXPECT_TRUE(window_->Toolbar()->isVisible());
    // Let the camera glide to the wall's centre.
    ASSERT_TRUE(WaitUntil([&] { return std::abs(CameraPosition().Z + 700.0f) < 1.0f; }, 20000));
    const QImage wall = window_->CaptureFrame();
    KeepShot(wall, "1-wall");
    const double wallShare = ColourfulShare(wall);
    EXPECT_GT(wallShare, 0.15);

    irr::scene::ISceneNode* first = Tiles()[0];
    Click(OnScreen(first));
    ASSERT_TRUE(WaitUntil([&] { return Selected() == first; }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return std::abs(CameraPosition().Z + 450.0f) < 0.5f; }, 20000));
    const QImage selected = window_->CaptureFrame();
    KeepShot(selected, "2-selected");
    EXPECT_GT(ColourfulShare(selected), wallShare);  // the chosen picture fills more of the screen
}

TEST_F(WallWindowTest, TwoFolderCommandsInQuickSuccessionEndWithTheLastOne) {
    const auto first = pictures_.path() / "a";
    const auto second = pictures_.path() / "b";
    WritePictures(first, 3);
    WritePictures(second, 5);
    Send(0, Logic(first).GetBase());
    Send(0, Logic(second).GetBase());
    ASSERT_TRUE(WaitUntil([&] { return window_->LoadersRunning() == 0; }, 20000));
    EXPECT_EQ(window_->CurrentFolder(), Logic(second));
    EXPECT_EQ(Tiles().size(), 5u);
}

TEST_F(WallWindowTest, ModeWordsChangeNothingWhileTheirLowerCaseSpellingsAreFolders) {
    const auto folder = pictures_.path() / "shown";
    WritePictures(folder, 2);
    ShowFolder(folder);
    const int rebuilds = window_->RebuildCount();
    Send(1, u"PPTMODE");
    Send(7, u" MEDIAMODE ");
    Send(0, Logic(folder).GetBase());  // the folder already shown: nothing to do
    window_->WaitForLoaders();
    EXPECT_EQ(window_->RebuildCount(), rebuilds);
    EXPECT_EQ(window_->CurrentFolder(), Logic(folder));

    Send(0, u"pptmode");
    const tstring resolved =
        vantor::FromNativePath(QDir::currentPath().toStdString()) + tstring(u"\\pptmode");
    ASSERT_TRUE(WaitUntil([&] { return window_->CurrentFolder() == resolved; }, 20000));
}

TEST_F(WallWindowTest, RefreshPicksUpNewPicturesAtMostOnceInThirtySeconds) {
    const auto folder = pictures_.path() / "day";
    WritePictures(folder, 2);
    ShowFolder(folder);
    WritePictures(folder, 1, "new");
    ticks_ms_ = 40000;
    window_->Toolbar()->Button(kToolbarRefresh)->click();
    EXPECT_TRUE(WaitUntil([&] { return Tiles().size() == 3u; }));
    const int rebuilds = window_->RebuildCount();
    WritePictures(folder, 1, "later");
    ticks_ms_ = 69999;
    window_->Refresh();
    EXPECT_EQ(window_->RebuildCount(), rebuilds);
    EXPECT_EQ(Tiles().size(), 3u);
    ticks_ms_ = 70000;
    window_->Refresh();
    EXPECT_TRUE(WaitUntil([&] { return Tiles().size() == 4u; }));
}

TEST_F(WallWindowTest, TheSlideshowStepsFromTheSecondTileAndWraps) {
    const auto folder = pictures_.path() / "three";
    WritePictures(folder, 3);
    ShowFolder(folder);
    const auto tiles = Tiles();
    window_->SlideshowStep();
    EXPECT_EQ(Selected(), tiles[1]);
    window_->SlideshowStep();
    EXPECT_EQ(Selected(), tiles[2]);
    window_->SlideshowStep();
    EXPECT_EQ(Selected(), tiles[0]);

    const auto single = pictures_.path() / "one";
    WritePictures(single, 1);
    ShowFolder(single);
    window_->SlideshowStep();
    EXPECT_EQ(Selected(), Tiles()[0]);
    window_->SlideshowStep();
    EXPECT_EQ(Selected(), Tiles()[0]);
}

TEST_F(WallWindowTest, CommandDeleteRemovesTheSelectedPictureFromDiskAndWall) {
    vantor::RecordingMessageBoxes boxes;
    vantor::ScopedMessageBoxService service(boxes);
    const auto folder = pictures_.path() / "del";
    WritePictures(folder, 3);
    ShowFolder(folder);
    window_->Toolbar()->Button(kToolbarPlay)->click();
    EXPECT_TRUE(window_->SlideshowRunning());
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    window_->SlideshowStep();
    const std::string name = Selected()->getName();
    ASSERT_TRUE(std::filesystem::exists(folder / name));
    bool sent = false;
    halvix_test::WhileServing(
        [&] { sent = vantor::SendProgramMessage(u"Lumarin", vantor::kMessageCommand, 2003); });
    ASSERT_TRUE(sent);
    EXPECT_FALSE(std::filesystem::exists(folder / name));
    EXPECT_TRUE(WaitUntil([&] { return Tiles().size() == 2u; }));
    EXPECT_EQ(Selected(), nullptr);
    window_->Toolbar()->Button(kToolbarStop)->click();
    EXPECT_FALSE(window_->SlideshowRunning());
}

// "HideDlg" is another program's window: its endpoint runs on a thread of its own here.
TEST_F(WallWindowTest, ExitFromTheToolbarNotifiesHideDlgAndEndsTheWindow) {
    std::atomic<int> notified{0};
    std::atomic<bool> listening{false};
    std::atomic<bool> stop{false};
    std::unique_ptr<QThread> hideDlg(QThread::create([&] {
        vantor::ProgramMessageServer server([&](const vantor::ProgramMessage& message) {
            if (message.message == kHideDlgMessage) {
                ++notified;
            }
            return 0;
        });
        listening = server.Listen(u"HideDlg");
        QTimer wake;  // lets the loop look at `stop` now and then
        wake.start(20);
        QEventLoop loop;
        while (!stop) {
            loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
    }));
    hideDlg->start();
    ASSERT_TRUE(WaitUntil([&] { return listening.load(); }, 5000));
    window_->Toolbar()->Button(kToolbarExit)->click();
    EXPECT_EQ(notified.load(), 1);
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(window_->WallRunning());
    EXPECT_FALSE(vantor::EndpointExists(u"Lumarin"));
    stop = true;
    hideDlg->wait();
}

TEST(WallWindowStart, WithoutOpenGLTheWallSaysSoAndShowsNothing) {
    halvix_test::PrivateEndpoints endpoints;
    vantor::RecordingMessageBoxes boxes;
    vantor::ScopedMessageBoxService service(boxes);
    WallServices services;
    services.openGLAvailable = [] { return false; };
    CmfcZarnDlg window(services);
    EXPECT_FALSE(window.Initialise());
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], tstring(u"未检测到3D支持,请检查显卡驱动等信息!"));
    EXPECT_FALSE(window.WallRunning());
    EXPECT_FALSE(vantor::EndpointExists(u"Lumarin"));
    EXPECT_EQ(window.Toolbar(), nullptr);
}
