// FindProcess over this machine's process list.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <filesystem>
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

TEST(FindProcess, AnUnreadableProcessListFindsNothing) {
    EXPECT_TRUE(vantor::RunningExecutableNames("/nonexistent-proc").empty());
    const auto names = vantor::RunningExecutableNames();
    EXPECT_NE(
        std::find(
            names.begin(), names.end(),
            std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()).filename().string()),
        names.end());
}
