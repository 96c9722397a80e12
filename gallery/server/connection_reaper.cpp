#include "server/connection_reaper.h"

#include <sys/socket.h>

#include <QLoggingCategory>

namespace vantor::gallery {
namespace {

Q_LOGGING_CATEGORY(lcReaper, "vantor.gallery")

}  // namespace

ConnectionReaper::ConnectionReaper(std::chrono::seconds max_age) : max_age_(max_age) {}

void ConnectionReaper::Begin() {
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { Run(); });
    }
}

ConnectionReaper::~ConnectionReaper() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ConnectionReaper::List(int socket, Time since) {
    std::lock_guard lock(mutex_);
    listed_[socket] = since;
}

void ConnectionReaper::Forget(int socket) {
    std::lock_guard lock(mutex_);
    listed_.erase(socket);
}

int ConnectionReaper::Sweep(Time now) {
    int ended = 0;
    {
        std::lock_guard lock(mutex_);
        for (auto it = listed_.begin(); it != listed_.end();) {
            if (now - it->second <= max_age_) {
                ++it;
                continue;
            }
            // Only its reading and writing end, once; whoever holds the connection closes it.
            ::shutdown(it->first, SHUT_RDWR);
            it = listed_.erase(it);
            ++ended;
        }
    }
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
