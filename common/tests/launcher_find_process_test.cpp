// FindProcess over this machine's process list.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>
#include "launcher/find_process.h"
#include "test_folder.h"

TEST(FindProcess, FindsARunningProgramByFileNameInAnyCase) {
    vantor_test::TestFolder folder;
    const auto program = folder.path() / "HalvixProbe";
    std::filesystem::copy_file("/bin/sleep", program);
    QProcess probe;
    probe.start(QString::fromStdString(program.string()), {"30"});
    ASSERT_TRUE(probe.waitForStarted());

    EXPECT_EQ(FindProcess(u"HalvixProbe"), 1);
    EXPECT_EQ(FindProcess(u"HALVIXPROBE"), 1);
    EXPECT_EQ(FindProcess(u"halvixprobe"), 1);
    EXPECT_EQ(FindProcess(u"HalvixProb"), 0);  // the whole name, not a prefix
    EXPECT_EQ(FindProcess(u""), 0);
    EXPECT_EQ(FindProcess(nullptr), 0);

    probe.kill();
    ASSERT_TRUE(probe.waitForFinished());
    EXPECT_EQ(FindProcess(u"HalvixProbe"), 0);
}

// Another user's wall must not make the launcher skip starting this user's own.
TEST(FindProcess, OnlyTheUsersOwnProcessesCount) {
    vantor_test::TestFolder proc;
    proc.Write("4242/cmdline", std::string("/opt/vantor/Halvix\0--x\0", 22));
    proc.Write("4242/stat", "4242 (Halvix) S 1 4242");
    proc.Write("4243/cmdline", std::string("/usr/bin/zombie\0", 16));
    proc.Write("4243/stat", "4243 (zom) bie) Z 1 4243");
    proc.Write("self/cmdline", "ignored");
    const std::string root = proc.path().string();
    EXPECT_EQ(vantor::RunningExecutableNames(root, ::getuid()), std::vector<std::string>{"Halvix"});
    EXPECT_TRUE(vantor::RunningExecutableNames(root, ::getuid() + 1).empty());
}

TEST(FindProcess, AnUnreadableProcessListFindsNothing) {
    EXPECT_TRUE(vantor::RunningExecutableNames("/nonexistent-proc", ::getuid()).empty());
    const auto names = vantor::RunningExecutableNames();
    EXPECT_NE(
        std::find(
            names.begin(), names.end(),
            std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()).filename().string()),
        names.end());
}
