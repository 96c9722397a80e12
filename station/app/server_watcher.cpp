#include "app/server_watcher.h"

#include <QLoggingCategory>
#include <algorithm>

Q_LOGGING_CATEGORY(lcWatcher, "vantor.helpers", QtInfoMsg)

namespace travenor {

ServerWatcher::ServerWatcher(ChildProcess& process, Clock now, Pauses pauses)
    : process_(process), now_(std::move(now)), pauses_(pauses), pause_(pauses.first) {}

ServerWatcher::~ServerWatcher() {
    Stop();
}

void ServerWatcher::Begin() {
    if (watching_) {
        return;
    }
    watching_ = true;
    StartNow();
}

void ServerWatcher::Check() {
    if (!watching_) {
        return;
    }
    const auto now = now_();
    if (!waiting_) {
        if (process_.Running()) {
            return;
        }
        // A long run was a good one: the next quick end starts from the first pause again.
        if (now - started_at_ >= pauses_.steady) {
            pause_ = pauses_.first;
        }
        qCWarning(lcWatcher) << pauses_.name << "ended; starting it again in" << pause_.count() << "ms";
        waiting_ = true;
        restart_at_ = now + pause_;
        pause_ = std::min(pause_ * 2, pauses_.longest);
    }
    if (now >= restart_at_) {
        StartNow();
    }
}

void ServerWatcher::Stop() {
    if (!watching_) {
        return;
    }
    watching_ = false;
    waiting_ = false;
    process_.Stop();
}

void ServerWatcher::StartNow() {
    waiting_ = false;
    started_at_ = now_();
    ++starts_;
    if (process_.Start()) {
        qCInfo(lcWatcher) << pauses_.name << "started";
    } else {
        qCWarning(lcWatcher) << pauses_.name << "could not be started";
    }
}

}  // namespace travenor
