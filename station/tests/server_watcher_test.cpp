// The photo server is kept running beside the station: started again after it ends, after pauses
// that grow while it keeps ending and shrink back after a good run, and never again once stopped.
#include <gtest/gtest.h>

#include <chrono>
#include "app/server_watcher.h"

namespace {

using namespace std::chrono_literals;
using travenor::ServerWatcher;

class FakeProcess : public travenor::ChildProcess {
  public:
    bool Start() override {
        ++starts;
        running = starts_work;
        return starts_work;
    }
    bool Running() const override { return running; }
    void Stop() override {
        ++stops;
        running = false;
    }

    bool running = false;
    bool starts_work = true;
    int starts = 0;
    int stops = 0;
};

class Watching : public ::testing::Test {
  protected:
    // Checks every 100 ms, as the station's timer does, for `duration`.
    void Run(std::chrono::milliseconds duration) {
        for (const auto end = now_ + duration; now_ < end;) {
            now_ += 100ms;
            watcher_.Check();
        }
    }
    // How long after an end the program runs again.
    std::chrono::milliseconds RestartTime() {
        process_.running = false;
        const int before = process_.starts;
        const auto ended = now_;
        while (process_.starts == before && now_ - ended < 120s) {
            now_ += 100ms;
            watcher_.Check();
        }
        return std::chrono::duration_cast<std::chrono::milliseconds>(now_ - ended);
    }

    FakeProcess process_;
    std::chrono::steady_clock::time_point now_{};
    ServerWatcher watcher_{process_, [this] { return now_; }};
};

TEST_F(Watching, AnEndedServerComesBackAfterAGrowingPause) {
    watcher_.Begin();
    EXPECT_EQ(process_.starts, 1);
    Run(5s);
    EXPECT_EQ(process_.starts, 1) << "a running server is left alone";

    // Quick ends: 1 s, 2 s, 4 s ... never more than 30 s.
    EXPECT_EQ(RestartTime(), 1100ms);
    EXPECT_EQ(RestartTime(), 2100ms);
    EXPECT_EQ(RestartTime(), 4100ms);
    for (int i = 0; i < 4; ++i) {
        RestartTime();
    }
    EXPECT_EQ(RestartTime(), 30100ms);
    // A server that ran for a while is back after the first pause again.
    Run(61s);
    EXPECT_EQ(RestartTime(), 1100ms);

    // One that cannot start at all is tried again at the same pace, not in a tight loop.
    process_.starts_work = false;
    process_.running = false;
    const int before = process_.starts;
    Run(10s);
    EXPECT_LE(process_.starts - before, 3);
    EXPECT_GE(process_.starts - before, 2);
}

TEST_F(Watching, StoppedMeansEndedAndNeverStartedAgain) {
    watcher_.Begin();
    process_.running = false;
    Run(500ms);  // ended, its restart pending
    watcher_.Stop();
    EXPECT_EQ(process_.stops, 1);
    Run(60s);
    EXPECT_EQ(process_.starts, 1);
    watcher_.Begin();
    EXPECT_EQ(process_.starts, 2);
}

TEST(WatcherLifetime, TheServerEndsWithItsWatcher) {
    FakeProcess process;
    {
        ServerWatcher watcher(process, [] { return std::chrono::steady_clock::time_point{}; });
        watcher.Begin();
        EXPECT_TRUE(process.running);
    }
    EXPECT_FALSE(process.running);
    EXPECT_EQ(process.stops, 1);
}

}  // namespace
