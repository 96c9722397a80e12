#pragma once
// One thread that runs loads one after the other, in the order they were asked for, so that the
// last request decides what is shown. While one runs only the newest request waits: a newer one
// replaces a waiting one, whose result would have been replaced at once anyway. However quickly
// requests come, there is one thread. The wall's folder loads and rebuilds run on one, the
// selected tile's enlarged picture is decoded on another.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace halvix {

class LoadQueue {
  public:
    LoadQueue();
    ~LoadQueue();
    LoadQueue(const LoadQueue&) = delete;
    LoadQueue& operator=(const LoadQueue&) = delete;
    LoadQueue(LoadQueue&&) = delete;
    LoadQueue& operator=(LoadQueue&&) = delete;

    // Runs `work` on the loader thread after the running request; replaces a waiting one. False
    // (and dropped) once the queue is stopping.
    bool Post(std::function<void()> work);
    // Drops a waiting request, lets the running one finish and ends the thread. Later posts are
    // dropped.
    void Stop();
    // A request runs or waits.
    bool Busy() const;
    // Until no request runs or waits.
    void WaitIdle();

  private:
    void Loop();

    mutable std::mutex mutex_;  // guards waiting_, running_ and stopping_
    std::condition_variable changed_;
    std::optional<std::function<void()>> waiting_;
    bool running_ = false;
    bool stopping_ = false;
    std::thread thread_;  // last: starts once the members above exist
};

}  // namespace halvix
