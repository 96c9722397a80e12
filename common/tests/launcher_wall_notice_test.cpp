// The station's notice to the wall after a save: sent off the saving thread, never waited for, and
// notices that come while one is under way make one more, not a queue.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include "launcher/wall_notice.h"

namespace {

using namespace std::chrono_literals;

TEST(WallNotice, ASaveNeverWaitsForAHangingWallAndNoticesDoNotQueueUp) {
    std::mutex mutex;  // guards sends and open
    std::condition_variable changed;
    int sends = 0;
    bool open = false;
    {
        vantor::WallNotice notice([&] {
            std::unique_lock<std::mutex> lock(mutex);
            ++sends;
            changed.notify_all();
            changed.wait(lock, [&] { return open; });  // the wall hangs until let go
        });
        const auto before = std::chrono::steady_clock::now();
        for (int i = 0; i < 50; ++i) {
            notice.Tell();
        }
        EXPECT_LT(std::chrono::steady_clock::now() - before, 1s) << "Tell waited for the wall";
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 5s, [&] { return sends == 1; }));
        lock.unlock();
        for (int i = 0; i < 50; ++i) {
            notice.Tell();  // while the first hangs
        }
        lock.lock();
        open = true;
        changed.notify_all();
        ASSERT_TRUE(changed.wait_for(lock, 5s, [&] { return sends == 2; }));
    }
    EXPECT_EQ(sends, 2) << "fifty notices during one send make exactly one more";
}

}  // namespace
