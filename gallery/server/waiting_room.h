#pragma once
// Connections wait here, not on a worker thread, until the head of their next request has come
// whole. A room of phones that connect and say nothing, or that trickle a request a byte at a
// time, then costs a descriptor each and no thread, and the workers only ever parse requests that
// are all there. A connection waits until its deadline and is then closed; when too many wait, or
// too many from one address, the one due first goes to make room.
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "server/server_connection.h"

namespace vantor::gallery {

class WaitingRoom {
  public:
    using Clock = std::chrono::steady_clock;
    struct Limits {
        std::size_t most = 4096;
        std::size_t most_per_address = 256;
        std::size_t head_bytes = 16 * 1024;  // a head this long counts as arrived (the library refuses it)
    };
    // Called on the room's thread with each connection whose request head has arrived.
    using Arrived = std::function<void(std::shared_ptr<ServerConnection>)>;

    WaitingRoom(Limits limits, Arrived arrived);
    // Closes every connection still waiting.
    ~WaitingRoom();
    WaitingRoom(const WaitingRoom&) = delete;
    WaitingRoom& operator=(const WaitingRoom&) = delete;

    // The connection waits until `deadline`; once the room is closed it is closed at once.
    void Admit(std::shared_ptr<ServerConnection> connection, Clock::time_point deadline);
    void Close();

  private:
    using Due = std::pair<Clock::time_point, int>;  // deadline, socket
    struct Guest {
        std::shared_ptr<ServerConnection> connection;
        Clock::time_point deadline;
    };

    void Run();
    int MillisecondsToWait(Clock::time_point now) const;
    void Remove(int socket);
    std::vector<std::shared_ptr<ServerConnection>> MakeRoomFor(const std::string& address);

    const Limits limits_;
    const Arrived arrived_;
    int epoll_ = -1;
    int wake_ = -1;             // an eventfd that ends the wait when the room closes
    mutable std::mutex mutex_;  // guards guests_, due_, due_by_address_ and closed_
    std::map<int, Guest> guests_;
    std::set<Due> due_;
    std::map<std::string, std::set<Due>> due_by_address_;
    bool closed_ = false;
    std::thread thread_;  // last: starts when everything above is ready
};

}  // namespace vantor::gallery
