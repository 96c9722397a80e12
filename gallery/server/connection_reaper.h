#pragma once
// Shuts down the server's connections that have lasted longer than a bound. The library times
// out each single read and write but not a whole request, so a client that trickles a byte now
// and then would keep a worker thread for ever; a sweep about once a second finds this
// process's sockets connected on the server's port and ends the old ones (the worker then sees
// the connection closed and moves on).
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace vantor::gallery {

class ConnectionReaper {
  public:
    using Time = std::chrono::steady_clock::time_point;

    ConnectionReaper(int port, std::chrono::seconds max_age);
    ~ConnectionReaper();
    ConnectionReaper(const ConnectionReaper&) = delete;
    ConnectionReaper& operator=(const ConnectionReaper&) = delete;

    // One sweep at `now`; how many connections it shut down.
    int Sweep(Time now);

  private:
    void Run();

    const int port_;
    const std::chrono::seconds max_age_;
    std::map<unsigned long, Time> first_seen_;  // by socket inode; only the sweeping thread
    std::mutex mutex_;                          // guards stop_
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;  // last: starts when everything above is ready
};

}  // namespace vantor::gallery
