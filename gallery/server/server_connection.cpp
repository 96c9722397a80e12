#include "server/server_connection.h"

#include "server/connection_reaper.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace vantor::gallery {

namespace {

bool Ready(int socket, short events, std::chrono::milliseconds timeout) {
    pollfd wanted{socket, events, 0};
    int got = 0;
    do {
        got = ::poll(&wanted, 1, static_cast<int>(timeout.count()));
    } while (got < 0 && errno == EINTR);
    return got > 0 && (wanted.revents & (events | POLLHUP | POLLERR)) != 0;
}

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

}  // namespace

ServerConnection::ServerConnection(int socket, Timeouts timeouts, int requests, ConnectionReaper& reaper)
    : socket_(socket), timeouts_(timeouts), reaper_(reaper), requests_left_(requests) {
    reaper_.List(socket_, std::chrono::steady_clock::now());
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(socket_, reinterpret_cast<sockaddr*>(&peer), &length) == 0) {
        AddressOf(peer, address_, port_);
    }
}

ServerConnection::~ServerConnection() {
    reaper_.Forget(socket_);
    ::shutdown(socket_, SHUT_RDWR);
    ::close(socket_);
}

ServerConnection::Head ServerConnection::NextHead(std::size_t limit) {
    if (buffered_from_ < buffered_to_) {
        return Head::Arrived;  // what was read past the last request is the next one's start
    }
    peeked_.resize(limit);
    ssize_t got = 0;
    do {
        got = ::recv(socket_, peeked_.data(), peeked_.size(), MSG_PEEK | MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
        return Head::Closed;
    }
    if (got < 0) {
        return Head::Waiting;
    }
    const std::string_view seen(peeked_.data(), static_cast<std::size_t>(got));
    const bool whole = static_cast<std::size_t>(got) >= limit || seen.find("\r\n\r\n") != seen.npos ||
                       seen.find("\n\n") != seen.npos;
    return whole ? Head::Arrived : Head::Waiting;
}

bool ServerConnection::is_readable() const {
    return buffered_from_ < buffered_to_ || Ready(socket_, POLLIN, timeouts_.read);
}

bool ServerConnection::is_writable() const {
    return Ready(socket_, POLLOUT, timeouts_.write);
}

ssize_t ServerConnection::read(char* ptr, size_t size) {
    if (buffered_from_ < buffered_to_) {
        const std::size_t count = std::min(size, buffered_to_ - buffered_from_);
        std::memcpy(ptr, buffer_.data() + buffered_from_, count);
        buffered_from_ += count;
        return static_cast<ssize_t>(count);
    }
    if (!Ready(socket_, POLLIN, timeouts_.read)) {
        return -1;
    }
    // Small reads go through the buffer, so that the library's reading line by line costs few
    // calls; what it does not take stays for the next read.
    const bool through_buffer = size < buffer_.size();
    ssize_t got = 0;
    do {
        got =
            ::recv(socket_, through_buffer ? buffer_.data() : ptr, through_buffer ? buffer_.size() : size, 0);
    } while (got < 0 && errno == EINTR);
    if (got <= 0 || !through_buffer) {
        return got;
    }
    const std::size_t count = std::min(size, static_cast<std::size_t>(got));
    std::memcpy(ptr, buffer_.data(), count);
    buffered_from_ = count;
    buffered_to_ = static_cast<std::size_t>(got);
    return static_cast<ssize_t>(count);
}

ssize_t ServerConnection::write(const char* ptr, size_t size) {
    if (!is_writable()) {
        return -1;
    }
    ssize_t sent = 0;
    do {
        sent = ::send(socket_, ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

void ServerConnection::get_remote_ip_and_port(std::string& ip, int& port) const {
    ip = address_;
    port = port_;
}

void ServerConnection::get_local_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
        AddressOf(local, ip, port);
    }
}

}  // namespace vantor::gallery
