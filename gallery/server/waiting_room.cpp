#include "server/waiting_room.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

namespace vantor::gallery {

namespace {

Q_LOGGING_CATEGORY(lcRoom, "vantor.gallery.connections")

// The longest single wait of the room's thread; a new deadline is met at most this late.
constexpr int kLongestWaitMs = 250;

}  // namespace

WaitingRoom::WaitingRoom(Limits limits, Arrived arrived)
    : limits_(limits),
      arrived_(std::move(arrived)),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)),
      wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (epoll_ < 0 || wake_ < 0) {
        qCWarning(lcRoom, "no event queue for waiting connections; they are closed instead");
        closed_ = true;
        return;
    }
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.fd = wake_;
    ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &wake);
    thread_ = std::thread([this] { Run(); });
}

WaitingRoom::~WaitingRoom() {
    Close();
    if (wake_ >= 0) {
        ::close(wake_);
    }
    if (epoll_ >= 0) {
        ::close(epoll_);
    }
}

void WaitingRoom::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    if (wake_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    std::lock_guard lock(mutex_);
    guests_.clear();
    due_.clear();
    due_by_address_.clear();
}

void WaitingRoom::Admit(std::shared_ptr<ServerConnection> connection, Clock::time_point deadline) {
    std::vector<std::shared_ptr<ServerConnection>> arrived;
    {
        std::lock_guard lock(mutex_);
        if (closed_ || !connection) {
            return;
        }
        arrived = MakeRoomFor(connection->Address());
        const int socket = connection->socket();
        epoll_event event{};
        // Edge-triggered: one wake-up for each arrival, so a head that is still incomplete does
        // not wake the room again until more of it comes.
        event.events = EPOLLIN | EPOLLRDHUP | EPOLLET;
        event.data.fd = socket;
        if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, socket, &event) == 0) {
            due_.emplace(deadline, socket);
            due_by_address_[connection->Address()].emplace(deadline, socket);
            guests_.emplace(socket, Guest{std::move(connection), deadline});
        }
    }
    for (std::shared_ptr<ServerConnection>& ready : arrived) {
        arrived_(std::move(ready));
    }
}

// Under mutex_: the room is full, or the address has its share, so the guests due first leave.
// One whose request has come meanwhile (its wake-up not handled yet) is handed on, not closed.
std::vector<std::shared_ptr<ServerConnection>> WaitingRoom::MakeRoomFor(const std::string& address) {
    std::vector<std::shared_ptr<ServerConnection>> arrived;
    const auto leave = [&](int socket) {
        const std::shared_ptr<ServerConnection>& guest = guests_.at(socket).connection;
        if (guest->NextHead(limits_.head_bytes) == ServerConnection::Head::Arrived) {
            arrived.push_back(guest);
        }
        Remove(socket);
    };
    while (guests_.size() >= limits_.most && !due_.empty()) {
        leave(due_.begin()->second);
    }
    for (auto mine = due_by_address_.find(address);
         mine != due_by_address_.end() && mine->second.size() >= limits_.most_per_address;
         mine = due_by_address_.find(address)) {
        leave(mine->second.begin()->second);
    }
    return arrived;
}

// Under mutex_.
void WaitingRoom::Remove(int socket) {
    const auto guest = guests_.find(socket);
    if (guest == guests_.end()) {
        return;
    }
    const Due due{guest->second.deadline, socket};
    due_.erase(due);
    const auto by_address = due_by_address_.find(guest->second.connection->Address());
    if (by_address != due_by_address_.end()) {
        by_address->second.erase(due);
        if (by_address->second.empty()) {
            due_by_address_.erase(by_address);
        }
    }
    ::epoll_ctl(epoll_, EPOLL_CTL_DEL, socket, nullptr);
    guests_.erase(guest);
}

// Under mutex_.
int WaitingRoom::MillisecondsToWait(Clock::time_point now) const {
    if (due_.empty()) {
        return kLongestWaitMs;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due_.begin()->first - now).count();
    return static_cast<int>(std::clamp<long long>(left, 0, kLongestWaitMs));
}

void WaitingRoom::Run() {
    std::array<epoll_event, 256> events{};
    std::vector<std::shared_ptr<ServerConnection>> arrived;
    for (;;) {
        int wait = 0;
        {
            std::lock_guard lock(mutex_);
            if (closed_) {
                return;
            }
            wait = MillisecondsToWait(Clock::now());
        }
        const int count = ::epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), wait);
        if (count < 0 && errno != EINTR) {
            qCWarning(lcRoom, "waiting for connections failed; the waiting ones are closed");
            std::lock_guard lock(mutex_);
            closed_ = true;
            return;
        }
        {
            std::lock_guard lock(mutex_);
            if (closed_) {
                return;
            }
            for (int i = 0; i < count; ++i) {
                const auto guest = guests_.find(events[static_cast<std::size_t>(i)].data.fd);
                if (guest == guests_.end()) {
                    continue;
                }
                // A peek that never blocks: what has come so far, not read.
                const ServerConnection::Head head = guest->second.connection->NextHead(limits_.head_bytes);
                if (head == ServerConnection::Head::Arrived) {
                    arrived.push_back(guest->second.connection);
                }
                if (head != ServerConnection::Head::Waiting) {
                    Remove(guest->first);
                }
            }
            const Clock::time_point now = Clock::now();
            while (!due_.empty() && due_.begin()->first <= now) {
                Remove(due_.begin()->second);
            }
        }
        for (std::shared_ptr<ServerConnection>& connection : arrived) {
            arrived_(std::move(connection));
        }
        arrived.clear();
    }
}

}  // namespace vantor::gallery
