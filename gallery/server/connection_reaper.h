#pragma once
// Shuts down the server's connections that have lasted longer than a bound. The library times
// out each single read and write but not a whole exchange, so a client that sends its form or
// reads its answer a byte now and then would keep a worker thread for ever. Every connection is
// listed here while its object lives; a sweep about once a second ends the reading and writing
// of the old ones (the worker then sees the connection closed and moves on). The socket is only
// touched while its connection is listed, so a number the system gave to a newer connection is
// never shut down by mistake.
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace vantor::gallery {

class ConnectionReaper {
  public:
    using Time = std::chrono::steady_clock::time_point;

    explicit ConnectionReaper(std::chrono::seconds max_age);
    // Sweeps about once a second from now on, on a thread of its own. Only a server that listens
    // starts it: a program that ends at once (its port taken) has no thread to wait for.
    void Begin();
    ~ConnectionReaper();
    ConnectionReaper(const ConnectionReaper&) = delete;
    ConnectionReaper& operator=(const ConnectionReaper&) = delete;

    // A connection's socket, listed from `since` until Forget.
    void List(int socket, Time since);
    void Forget(int socket);
    // One sweep at `now`; how many connections it shut down.
    int Sweep(Time now);

  private:
    void Run();

    const std::chrono::seconds max_age_;
    std::mutex mutex_;            // guards listed_ and stop_
    std::map<int, Time> listed_;  // socket → when it was accepted
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace vantor::gallery
