// wallLock: recursive, and fair to a waiting loader however eagerly the render loop asks again.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "app/loader_threads.h"
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
    std::thread other([&] {
        lock.unlock();  // not the holder: no effect
        otherGot = lock.try_lock();
    });
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

TEST(LoaderThreads, EveryLoaderRunsAndIsJoined) {
    std::atomic<int> ran{0};
    std::mutex gate;
    std::unique_lock<std::mutex> hold(gate);
    {
        LoaderThreads loaders;
        for (int i = 0; i < 3; ++i) {
            loaders.Start([&] {
                std::lock_guard<std::mutex> wait(gate);
                ++ran;
            });
        }
        EXPECT_EQ(loaders.Running(), 3);
        hold.unlock();
    }
    EXPECT_EQ(ran, 3);
}
