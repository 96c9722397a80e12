// The wall launcher's sequence over a scripted platform, and the real platform's sends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <thread>
#include "launcher/dialog_raiser.h"
#include "launcher/wall_launcher.h"
#include "platform/native_path.h"
#include "platform/program_messages.h"
#include "language/language.h"
#include "text/qt_text.h"
#include "test_folder.h"
#include "ui_wait.h"

using namespace vantor;

namespace {

// Records what the launcher does; the wall window appears after `looksUntilWindow` looks.
class ScriptedWall : public WallLauncherPlatform {
  public:
    bool exists = true;
    bool runs = false;
    int looksUntilWindow = 1;
    std::optional<tstring> picked;

    std::vector<std::string> steps;
    std::vector<int> waits_ms;
    std::vector<std::pair<std::uint64_t, tstring>> sent;
    std::vector<tstring> browseTitles;
    std::vector<std::pair<tstring, tstring>> failures;

    bool WallProgramExists() override {
        steps.push_back("exists?");
        return exists;
    }
    bool WallProgramRuns() override {
        steps.push_back("runs?");
        return runs;
    }
    void StartWallProgram() override { steps.push_back("start"); }
    void Wait(int delay_ms) override { waits_ms.push_back(delay_ms); }
    bool WallWindowExists() override {
        steps.push_back("look");
        return looksUntilWindow > 0 && static_cast<int>(waits_ms.size()) >= looksUntilWindow;
    }
    std::optional<tstring> BrowseForFolder(const tstring& title) override {
        steps.push_back("browse");
        browseTitles.push_back(title);
        return picked;
    }
    void ShowWallWindowNormal() override { steps.push_back("show"); }
    void SendToWall(std::uint64_t dwData, const tstring& text) override {
        steps.push_back("send");
        sent.emplace_back(dwData, text);
    }
    void BringWallToForeground() override { steps.push_back("foreground"); }
    void ShowStartFailure(const tstring& text, const tstring& caption) override {
        steps.push_back("failure");
        failures.emplace_back(text, caption);
    }
};

using Steps = std::vector<std::string>;

}  // namespace

TEST(WallLauncher, MissingWallProgramIsSilent) {
    ScriptedWall wall;
    wall.exists = false;
    LaunchWall(wall, u"D:\\x");
    EXPECT_EQ(wall.steps, Steps({"exists?"}));
}

TEST(WallLauncher, RunningWallGetsTheFolderThenTheModeWordWithoutASecondStart) {
    ScriptedWall wall;
    wall.runs = true;
    LaunchWall(wall, u"Storage\\2024-3-5\\WithTemplate");
    EXPECT_EQ(wall.steps, Steps({"exists?", "runs?", "look", "show", "send", "send", "foreground"}));
    EXPECT_EQ(wall.waits_ms, std::vector<int>({300}));
    ASSERT_EQ(wall.sent.size(), 2u);
    EXPECT_EQ(wall.sent[0], std::make_pair(std::uint64_t{0}, tstring(u"Storage\\2024-3-5\\WithTemplate")));
    EXPECT_EQ(wall.sent[1], std::make_pair(std::uint64_t{0}, tstring(u"MEDIAMODE")));
}

TEST(WallLauncher, StartsTheWallAndLooksTenTimesThreeHundredMillisecondsApart) {
    ScriptedWall started;
    started.looksUntilWindow = 4;
    LaunchWall(started, u"x");
    EXPECT_EQ(std::count(started.steps.begin(), started.steps.end(), "start"), 1);
    EXPECT_EQ(started.waits_ms, std::vector<int>(4, 300));

    ScriptedWall never;
    never.looksUntilWindow = 0;
    LaunchWall(never, u"x");
    EXPECT_EQ(never.waits_ms, std::vector<int>(10, 300));
    EXPECT_EQ(std::count(never.steps.begin(), never.steps.end(), "look"), 10);
    ASSERT_EQ(never.failures.size(), 1u);
    EXPECT_EQ(never.failures[0].first, tstring(u"请检查是否将Halvix列入360白名单\n或关闭360"));
    EXPECT_EQ(never.failures[0].second, tstring(u"Halvix.exe启动失败"));
    EXPECT_TRUE(never.sent.empty());
}

TEST(WallLauncher, WithoutAFolderTheUserPicksOneAndItGoesWithIdentifierOne) {
    ScriptedWall wall;
    wall.runs = true;
    wall.picked = tstring(u"\\home\\ann\\photos");
    LaunchWall(wall, nullptr);
    ASSERT_EQ(wall.browseTitles.size(), 1u);
    EXPECT_EQ(wall.browseTitles[0], tstring(u"选择直接包含图片视频的文件夹"));
    ASSERT_EQ(wall.sent.size(), 2u);
    EXPECT_EQ(wall.sent[0], std::make_pair(std::uint64_t{1}, tstring(u"\\home\\ann\\photos")));
    EXPECT_EQ(wall.sent[1].first, 0u);

    ScriptedWall cancelled;
    cancelled.runs = true;
    LaunchWall(cancelled, u"");
    EXPECT_EQ(cancelled.steps, Steps({"exists?", "runs?", "look", "browse"}));
}

// The real sends reach an endpoint titled "Lumarin" with the text and its terminator.
TEST(WallLauncher, DesktopSendsCarryTheTerminatedTextAndItsByteCount) {
    vantor_test::TestFolder runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path().string()));
    std::vector<ProgramMessage> received;
    {
        ProgramMessageServer wall([&](const ProgramMessage& message) {
            received.push_back(message);
            return 1;
        });
        ASSERT_TRUE(wall.Listen(u"Lumarin"));
        std::atomic<bool> done{false};
        std::thread station([&] {
            DesktopWallPlatform platform;
            EXPECT_TRUE(platform.WallWindowExists());
            platform.ShowWallWindowNormal();
            platform.SendToWall(0, u"abcd");
            platform.SendToWall(0, u"MEDIAMODE");
            platform.BringWallToForeground();
            done = true;
        });
        vantor_test::WaitUntil([&] { return done.load(); }, 10000);
        station.join();
    }
    qputenv("XDG_RUNTIME_DIR", saved);
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0].message, kMessageShowNormal);
    EXPECT_EQ(received[1].data.size(), 10);
    EXPECT_EQ(received[1].data, QByteArray("a\0b\0c\0d\0\0\0", 10));
    EXPECT_EQ(received[2].data.size(), 20);
    EXPECT_EQ(received[3].message, kMessageActivate);
}

TEST(DialogRaiser, RaisesTheWindowWithTheTitleOnceAndEndsWithTheDialog) {
    QWidget dialog;
    dialog.setWindowTitle(QStringLiteral("浏览文件夹"));
    dialog.show();
    int looks = 0;
    {
        DialogRaiser raiser(u"浏览文件夹", 10, [&](const tstring& title) {
            ++looks;
            return DialogRaiser::RaiseTopLevelWidget(title);
        });
        EXPECT_TRUE(vantor_test::WaitUntil([&] { return raiser.Raised(); }, 5000));
    }
    EXPECT_EQ(looks, 1);
    EXPECT_TRUE(dialog.isVisible());

    // No such window: the helper keeps looking until the dialog returns, then it is joined.
    std::atomic<int> misses{0};
    {
        DialogRaiser raiser(u"Nothing", 10, [&](const tstring&) {
            ++misses;
            return false;
        });
        vantor_test::WaitUntil([&] { return misses.load() >= 2; }, 5000);
        EXPECT_FALSE(raiser.Raised());
    }
    EXPECT_GE(misses.load(), 2);
}

// The real folder dialog: captioned with language text "5", answered here by choosing a folder.
TEST(WallLauncher, DesktopFolderDialogGivesTheChosenFolderAsALogicPath) {
    vantor_test::TestFolder chosen;
    QString seenTitle;
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            if (dialog && dialog->isVisible()) {
                seenTitle = dialog->windowTitle();
                dialog->setDirectory(QString::fromStdString(chosen.path().string()));
                dialog->selectFile(QString::fromStdString(chosen.path().string()));
                QMetaObject::invokeMethod(dialog, "accept");
                answer.stop();
            }
        }
    });
    answer.start();
    DesktopWallPlatform platform;
    const std::optional<tstring> folder = platform.BrowseForFolder(u"选择直接包含图片视频的文件夹");
    EXPECT_EQ(seenTitle, ToQt(GetLanStr(u"5")));
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(*folder, FromNativePath(chosen.path().string()));
}
