#pragma once
// Lets the event loop serve windows until a condition holds or the time is up.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

namespace vantor_bench {

template <typename Predicate>
bool ServeUntil(Predicate predicate, int timeout_ms) {
    QDeadlineTimer deadline(timeout_ms);
    while (!predicate()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

}  // namespace vantor_bench
