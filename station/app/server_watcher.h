#pragma once
// Keeps a helper program running beside the station: started at once, started again when it ends,
// after a pause that doubles with each quick end (1 s, 2 s, 4 s ... at most 30 s) and is back to
// its first length once the program has run for a minute. Stop ends it for good. The process and
// the clock are handed in; the station polls Check from a timer.
#include <chrono>
#include <functional>

namespace travenor {

// One child process, started and stopped again and again.
class ChildProcess {
  public:
    virtual ~ChildProcess() = default;
    // False when it could not be started.
    virtual bool Start() = 0;
    virtual bool Running() const = 0;
    // Ends it, waiting for it; nothing when it does not run.
    virtual void Stop() = 0;
};

class ServerWatcher {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    struct Pauses {
        const char* name = "the photo server";  // what the log calls it
        std::chrono::milliseconds first{1000};
        std::chrono::milliseconds longest{30000};
        std::chrono::milliseconds steady{60000};  // a run this long resets the pause
    };

    ServerWatcher(ChildProcess& process, Clock now, Pauses pauses);
    ServerWatcher(ChildProcess& process, Clock now) : ServerWatcher(process, std::move(now), Pauses{}) {}
    ~ServerWatcher();
    ServerWatcher(const ServerWatcher&) = delete;
    ServerWatcher& operator=(const ServerWatcher&) = delete;

    void Begin();
    // Notices an end and starts the program again when its pause is over.
    void Check();
    void Stop();

    int Starts() const { return starts_; }
    // The pause before the next start after an end.
    std::chrono::milliseconds Pause() const { return pause_; }

  private:
    void StartNow();

    ChildProcess& process_;
    Clock now_;
    Pauses pauses_;
    std::chrono::milliseconds pause_;
    std::chrono::steady_clock::time_point started_at_{};
    std::chrono::steady_clock::time_point restart_at_{};
    bool watching_ = false;
    bool waiting_ = false;  // it ended; restart_at_ holds when it starts again
    int starts_ = 0;
};

}  // namespace travenor
