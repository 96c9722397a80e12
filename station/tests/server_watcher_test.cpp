// The photo server is kept running beside the station: started again after it ends, after pauses
// that grow while it keeps ending and shrink back after a good run, and never again once stopped.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <string>
#include <optional>
#include "ui_wait.h"
#include "app/gallery_server.h"
#include "app/server_watcher.h"

namespace {

using namespace std::chrono_literals;

struct FakeProcess : travenor::ChildProcess {
    bool Start() override {
        ++starts;
        return running = starts_work;
    }
    bool Running() const override { return running; }
    void Stop() override { running = false, ++stops; }

    bool running = false;
    bool starts_work = true;
    int starts = 0;
    int stops = 0;
};

class Watching : public ::testing::Test {
  protected:
    // Checks every 100 ms, as the station's timer does.
    void Run(std::chrono::milliseconds duration) {
        for (const auto end = now_ + duration; now_ < end;) {
            now_ += 100ms;
            watcher_->Check();
        }
    }
    // How long after an end the server is started again.
    std::chrono::milliseconds RestartTime() {
        process_.running = false;
        const int before = process_.starts;
        const auto ended = now_;
        while (process_.starts == before && now_ - ended < 120s) {
            Run(100ms);
        }
        return std::chrono::duration_cast<std::chrono::milliseconds>(now_ - ended);
    }

    FakeProcess process_;
    std::chrono::steady_clock::time_point now_{};
    std::optional<travenor::ServerWatcher> watcher_{std::in_place, process_, [this] { return now_; }};
};

TEST_F(Watching, AnEndedServerComesBackAfterAGrowingPause) {
    watcher_->Begin();
    Run(5s);
    EXPECT_EQ(process_.starts, 1) << "a running server is left alone";
    // Quick ends: 1 s, 2 s, 4 s ... never more than 30 s; after a good run 1 s again.
    EXPECT_EQ(RestartTime(), 1100ms);
    EXPECT_EQ(RestartTime(), 2100ms);
    EXPECT_EQ(RestartTime(), 4100ms);
    for (int i = 0; i < 4; ++i) {
        RestartTime();
    }
    EXPECT_EQ(RestartTime(), 30100ms);
    Run(61s);
    EXPECT_EQ(RestartTime(), 1100ms);
    // One that cannot start at all is tried again at the same pace, not in a tight loop.
    process_.starts_work = false;
    process_.running = false;
    const int before = process_.starts;
    Run(10s);
    EXPECT_EQ(process_.starts - before, 2);
}

TEST_F(Watching, StoppedMeansEndedAndNeverStartedAgain) {
    watcher_->Begin();
    process_.running = false;
    Run(500ms);  // ended, its restart pending
    watcher_->Stop();
    Run(60s);
    EXPECT_EQ(process_.starts, 1);
    // The watcher's end ends the server too.
    watcher_->Begin();
    EXPECT_TRUE(process_.running);
    watcher_.reset();
    EXPECT_FALSE(process_.running);
    EXPECT_EQ(process_.stops, 2);
}

}  // namespace

namespace {

// The scheduler's state letter of a process: 'T' when stopped, ' ' when it is gone.
char ProcessState(qint64 id) {
    std::ifstream stat("/proc/" + std::to_string(id) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t after_name = line.rfind(')');
    return after_name == std::string::npos || after_name + 2 >= line.size() ? ' ' : line[after_name + 2];
}

}  // namespace

// The photo server is held still while a save runs, and a held server still ends when the
// station stops it (a SIGTERM alone would wait behind the stop).
TEST(GalleryServerProcess, HeldStillDuringASaveAndStoppedEvenWhenHeld) {
    QTemporaryDir folder;
    const QString program = folder.filePath("server.sh");
    {
        QFile script(program);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nexec sleep 60\n");
    }
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    travenor::QtChildProcess server(program);
    ASSERT_TRUE(server.Start());
    const qint64 id = server.Id();
    ASSERT_GT(id, 0);
    server.Pause();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return ProcessState(id) == 'T'; }));
    server.Resume();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return ProcessState(id) != 'T'; }));
    server.Pause();
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return ProcessState(id) == 'T'; }));
    server.Stop();
    EXPECT_FALSE(server.Running());
    EXPECT_EQ(ProcessState(id), ' ');
}
