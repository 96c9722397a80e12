// wallLock: recursive, fair to a waiting loader however eagerly the render loop asks again, and
// stopping the program when released by a thread that does not hold it. The loader queue: one
// load at a time, in order, the newest waiting request replacing an older one.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <future>
#include "scene/load_queue.h"
#include "app/wall_lock.h"

using namespace halvix;

namespace {

template <typename Predicate>
void SpinUntil(Predicate predicate) {
    while (!predicate()) {
        std::this_thread::yield();
    }
}

}  // namespace

TEST(WallLock, IsRecursiveAndOnlyItsHolderReleasesIt) {
    WallLock lock;
    lock.lock();
    lock.lock();
    EXPECT_TRUE(lock.try_lock());
    EXPECT_TRUE(lock.HeldByThisThread());
    lock.unlock();
    lock.unlock();
    bool otherGot = true;
    std::thread other([&] { otherGot = lock.try_lock(); });
    other.join();
    EXPECT_FALSE(otherGot);
    lock.unlock();
    EXPECT_FALSE(lock.HeldByThisThread());
    std::thread after([&] {
        otherGot = lock.try_lock();
        if (otherGot) {
            lock.unlock();
        }
    });
    after.join();
    EXPECT_TRUE(otherGot);
}

TEST(WallLockDeathTest, AReleaseWithoutHoldingItStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            WallLock lock;
            lock.unlock();
        },
        "does not hold it");
    EXPECT_DEATH(
        {
            WallLock lock;
            lock.lock();
            std::thread other([&] { lock.unlock(); });
            other.join();
        },
        "does not hold it");
}

// The render loop releases the lock after a frame and asks again at once; a loader that queued
// during the frame is served first.
TEST(WallLock, AQueuedLoaderGoesBeforeTheRenderLoopsNextFrame) {
    WallLock lock;
    std::vector<std::string> order;
    std::mutex orderMutex;  // guards order
    auto record = [&](const char* what) {
        std::lock_guard<std::mutex> guard(orderMutex);
        order.push_back(what);
    };
    lock.lock();  // the render loop's frame
    std::thread loader([&] {
        WallLockGuard rebuild(lock);
        record("rebuild");
    });
    SpinUntil([&] { return lock.Waiters() == 1; });
    lock.unlock();
    lock.lock();  // the next frame
    record("frame");
    lock.unlock();
    loader.join();
    EXPECT_EQ(order, std::vector<std::string>({"rebuild", "frame"}));
}

TEST(WallLock, WaitersAreServedInArrivalOrder) {
    WallLock lock;
    lock.lock();
    std::vector<int> order;
    std::mutex orderMutex;  // guards order
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            WallLockGuard guard(lock);
            std::lock_guard<std::mutex> record(orderMutex);
            order.push_back(i);
        });
        SpinUntil([&] { return lock.Waiters() == i + 1; });
    }
    lock.unlock();
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(order, std::vector<int>({0, 1, 2, 3}));
}

// A load that is held until the test lets it go, recording its name when it runs.
struct HeldLoads {
    std::mutex mutex;  // guards ran and open
    std::condition_variable changed;
    std::vector<std::string> ran;
    bool open = false;

    std::function<void()> Load(std::string name) {
        return [this, name] {
            std::unique_lock<std::mutex> lock(mutex);
            ran.push_back(name);
            changed.notify_all();
            changed.wait(lock, [this] { return open; });
        };
    }
    void WaitStarted(size_t count) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return ran.size() >= count; });
    }
    void Open() {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
};

TEST(LoadQueue, OneLoadRunsAndOnlyTheNewestRequestFollowsIt) {
    HeldLoads loads;
    LoadQueue queue;
    EXPECT_FALSE(queue.Busy());
    queue.Post(loads.Load("first"));
    loads.WaitStarted(1);
    for (int i = 0; i < 300; ++i) {  // a flood of commands while the first load runs
        queue.Post(loads.Load("flood " + std::to_string(i)));
    }
    queue.Post(loads.Load("last"));
    EXPECT_TRUE(queue.Busy());
    loads.Open();
    queue.WaitIdle();
    EXPECT_FALSE(queue.Busy());
    EXPECT_EQ(loads.ran, std::vector<std::string>({"first", "last"}));
}

// A refresh or a delete's rebuild that comes while a folder command waits is dropped, not the
// command; a folder command replaces a waiting rebuild as any request does.
TEST(LoadQueue, AWaitingFolderCommandIsNeverLostToARebuild) {
    HeldLoads loads;
    LoadQueue queue;
    queue.Post(loads.Load("running"));
    loads.WaitStarted(1);
    queue.Post(loads.Load("rebuild before"), LoadQueue::Kind::Yielding);
    queue.Post(loads.Load("folder"));
    queue.Post(loads.Load("rebuild after"), LoadQueue::Kind::Yielding);
    loads.Open();
    queue.WaitIdle();
    EXPECT_EQ(loads.ran, std::vector<std::string>({"running", "folder"}));
}

TEST(LoadQueue, StopLetsTheRunningLoadFinishAndDropsTheWaitingOne) {
    HeldLoads loads;
    LoadQueue queue;
    queue.Post(loads.Load("running"));
    loads.WaitStarted(1);
    // Requests keep coming until the queue refuses them; only then does the running load end.
    std::thread sender([&] {
        while (queue.Post(loads.Load("late"))) {
            std::this_thread::yield();
        }
        loads.Open();
    });
    queue.Stop();
    sender.join();
    EXPECT_FALSE(queue.Post(loads.Load("after the end")));
    EXPECT_EQ(loads.ran, std::vector<std::string>({"running"}));
}
