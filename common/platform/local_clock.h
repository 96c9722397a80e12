#pragma once
// The local date and time as the storage names, the same-second refusal and the lottery read it.
// Objects that need the time take a Clock; SystemClock reads the machine's local time and
// ManualClock is set by tests.
#include <atomic>
#include <mutex>
#include "tarquel_export.h"

namespace vantor {

struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 4;  // 0 = Sunday
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() const = 0;
};

class SystemClock : public Clock {
  public:
    LocalDateTime Now() const override;
};

class ManualClock : public Clock {
  public:
    explicit ManualClock(const LocalDateTime& start = {}) : now_(start) {}
    LocalDateTime Now() const override;
    void Set(const LocalDateTime& now);
    void AdvanceSeconds(int seconds);

  private:
    mutable std::mutex mutex_;  // guards now_
    LocalDateTime now_;
};

// The process's system clock, for code that is not handed one.
TARQUEL_API const Clock& SystemLocalClock();

}  // namespace vantor
