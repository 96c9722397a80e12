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

    // Whether a request gives way to a waiting one. A rebuild of the folder shown yields: a folder
    // command that waits reads its folder afresh anyway, and must not be lost to the rebuild.
    enum class Kind { Replacing, Yielding };

    // Runs `work` on the loader thread after the running request; replaces a waiting one, except
    // that a yielding request never replaces a waiting replacing one (it is dropped then). False
    // (and dropped) once the queue is stopping.
    bool Post(std::function<void()> work, Kind kind = Kind::Replacing);
    // Drops a waiting request, lets the running one finish and ends the thread. Later posts are
    // dropped.
    void Stop();
    // A request runs or waits.
    bool Busy() const;
    // Until no request runs or waits.
    void WaitIdle();

  private:
    void Loop();

    mutable std::mutex mutex_;  // guards waiting_, waiting_kind_, running_ and stopping_
    std::condition_variable changed_;
    std::optional<std::function<void()>> waiting_;
    Kind waiting_kind_ = Kind::Replacing;
    bool running_ = false;
    bool stopping_ = false;
    std::thread thread_;  // last: starts once the members above exist
};

}  // namespace halvix
