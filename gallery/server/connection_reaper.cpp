#include "server/connection_reaper.h"

#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <QLoggingCategory>
#include <cstdlib>
#include <set>

namespace vantor::gallery {
namespace {

Q_LOGGING_CATEGORY(lcReaper, "vantor.gallery")

// The local port of a connected TCP socket; -1 for anything else (a listening socket, a file).
int ConnectedLocalPort(int fd) {
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return -1;
    }
    sockaddr_storage peer{};
    socklen_t peer_length = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peer_length) != 0) {
        return -1;
    }
    if (local.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in&>(local).sin_port);
    }
    if (local.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6&>(local).sin6_port);
    }
    return -1;
}

}  // namespace

ConnectionReaper::ConnectionReaper(int port, std::chrono::seconds max_age)
    : port_(port), max_age_(max_age), thread_([this] { Run(); }) {}

ConnectionReaper::~ConnectionReaper() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

int ConnectionReaper::Sweep(Time now) {
    DIR* folder = ::opendir("/proc/self/fd");
    if (folder == nullptr) {
        return 0;
    }
    std::set<unsigned long> seen;
    int ended = 0;
    while (const dirent* entry = ::readdir(folder)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        struct stat status {};
        if (end == entry->d_name || *end != '\0' || fd == ::dirfd(folder) ||
            ::fstat(static_cast<int>(fd), &status) != 0 || !S_ISSOCK(status.st_mode) ||
            ConnectedLocalPort(static_cast<int>(fd)) != port_) {
            continue;
        }
        const unsigned long inode = status.st_ino;
        seen.insert(inode);
        const auto [known, added] = first_seen_.emplace(inode, now);
        if (!added && now - known->second > max_age_) {
            // Only this socket's reading and writing end; the worker that serves it closes it.
            ::shutdown(static_cast<int>(fd), SHUT_RDWR);
            ++ended;
        }
    }
    ::closedir(folder);
    std::erase_if(first_seen_, [&](const auto& item) { return seen.count(item.first) == 0; });
    if (ended > 0) {
        qCInfo(lcReaper) << "ended" << ended << "connections older than" << max_age_.count() << "s";
    }
    return ended;
}

void ConnectionReaper::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        lock.unlock();
        Sweep(std::chrono::steady_clock::now());
        lock.lock();
        wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stop_; });
    }
}

}  // namespace vantor::gallery
