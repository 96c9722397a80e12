#pragma once
// Lets the event loop serve windows until a condition holds or the time is up. The thread sleeps
// between checks (every 5 ms): a benchmark's waiting must not take a core from what it measures.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace vantor_bench {

template <typename Predicate>
bool ServeUntil(Predicate predicate, int timeout_ms) {
    QDeadlineTimer deadline(timeout_ms);
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start();
    while (!predicate()) {
        if (deadline.hasExpired()) {
            return false;
        }
        loop.exec();
    }
    return true;
}

}  // namespace vantor_bench
