// The wall's main window on a real X display: folder commands through its endpoint, the built
// wall on screen, a click that brings a tile forward, refresh, delete, slideshow, the mode words
// and the end of the window. Screenshots of the wall are kept in wall_app_shots/ beside the test program.
#include <QThread>
#include <QTimer>
#include "platform/message_box.h"
#include "text/qt_text.h"
#include "ui/private_menu.h"
#include "wall_window_fixture.h"

using namespace wall_window_test;

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
    ASSERT_TRUE(WaitUntil([&] { return !window_->LoadsPending(); }, 20000));
    EXPECT_EQ(window_->CurrentFolder(), Logic(second));
    EXPECT_EQ(Tiles().size(), 5u);
}

TEST_F(WallWindowTest, ModeWordsChangeNothingWhileTheirLowerCaseSpellingsAreFolders) {
    const auto folder = pictures_.path() / "shown";
    WritePictures(folder, 2);
    ShowFolder(folder);
    const int rebuilds = window_->RebuildCount();
    Send(1, u"PPTMODE");
    Send(7, u"MEDIAMODE");
    Send(0, Logic(folder).GetBase());  // the folder already shown: nothing to do
    window_->WaitForLoads();
    EXPECT_EQ(window_->RebuildCount(), rebuilds);
    EXPECT_EQ(window_->CurrentFolder(), Logic(folder));

    const tstring working = vantor::FromNativePath(QDir::currentPath().toStdString());
    Send(0, u"pptmode");
    ASSERT_TRUE(
        WaitUntil([&] { return window_->CurrentFolder() == working + tstring(u"\\pptmode"); }, 20000));
    // A mode word with blanks around it is a folder's name; only a folder is trimmed.
    Send(0, u" MEDIAMODE ");
    ASSERT_TRUE(
        WaitUntil([&] { return window_->CurrentFolder() == working + tstring(u"\\MEDIAMODE"); }, 20000));
}

TEST_F(WallWindowTest, RefreshPicksUpNewPicturesAtMostOnceInThirtySeconds) {
    const auto folder = pictures_.path() / "day";
    WritePictures(folder, 2);
    ShowFolder(folder);
    EXPECT_EQ(window_->Live(), nullptr) << "the live wall is switched off: nothing watches the folder";
    WritePictures(folder, 1, "new");
    EXPECT_FALSE(WaitUntil([&] { return Tiles().size() != 2u; }, 2500)) << "a picture arrived by itself";
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
    std::atomic<bool> ended{false};
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
        ended = true;  // QThread::wait's own synchronisation is invisible to ThreadSanitizer
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
    EXPECT_TRUE(ended.load());
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
