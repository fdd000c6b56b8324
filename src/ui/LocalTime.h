// The local time of day as the system clock gives it, and the seam through
// which the schedule and the backup record read it, so that tests (and a
// person trying the program) can set the day and the minute.
#pragma once

namespace qtr {

struct LocalTime {
  int year = 0, month = 0, day = 0;
  int dayOfWeek = 0;  // 0 Sunday .. 6 Saturday
  int hour = 0, minute = 0, second = 0;
};

class LocalClock {
 public:
  virtual ~LocalClock() = default;
  virtual LocalTime Now() const = 0;
};

// The system's local time.
LocalClock& SystemLocalClock();

}  // namespace qtr
