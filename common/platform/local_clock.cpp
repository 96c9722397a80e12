#include "platform/local_clock.h"

#include <chrono>
#include <ctime>

namespace vantor {

LocalDateTime SystemClock::Now() const {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    LocalDateTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.millisecond = static_cast<int>(ms);
    t.dayOfWeek = local.tm_wday;
    return t;
}

LocalDateTime ManualClock::Now() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return now_;
}

void ManualClock::Set(const LocalDateTime& now) {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ = now;
}

void ManualClock::AdvanceSeconds(int seconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Normalise through the C library so that minutes, hours, days and months roll over.
    std::tm t{};
    t.tm_year = now_.year - 1900;
    t.tm_mon = now_.month - 1;
    t.tm_mday = now_.day;
    t.tm_hour = now_.hour;
    t.tm_min = now_.minute;
    t.tm_sec = now_.second + seconds;
    t.tm_isdst = -1;
    timegm(&t);
    now_.year = t.tm_year + 1900;
    now_.month = t.tm_mon + 1;
    now_.day = t.tm_mday;
    now_.hour = t.tm_hour;
    now_.minute = t.tm_min;
    now_.second = t.tm_sec;
    now_.dayOfWeek = t.tm_wday;
}

const Clock& SystemLocalClock() {
    static const SystemClock clock;
    return clock;
}

}  // namespace vantor
