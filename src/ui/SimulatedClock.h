// A clock for trying the schedule: a file "simulated-clock.txt" beside the
// program sets the local time the program starts at, and how many seconds
// pass for each real one:
//   start = 2026-03-04 09:04:50
//   speed = 10
// Without the file the program reads the system's clock.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "ui/LocalTime.h"

namespace qtr {

struct SimulatedClockSetting {
  LocalTime start;
  int speed = 1;
};

// Nothing when the text does not hold a valid start.
std::optional<SimulatedClockSetting> ParseSimulatedClock(std::string_view text);

// time moved on by seconds (day of week included); months and leap years as the calendar has them.
LocalTime AdvanceLocalTime(const LocalTime& time, int64_t seconds);

class SimulatedClock final : public LocalClock {
 public:
  // elapsedMs: the real milliseconds since the program started.
  SimulatedClock(const SimulatedClockSetting& setting, std::function<int64_t()> elapsedMs)
      : setting_(setting), elapsedMs_(std::move(elapsedMs)) {}
  LocalTime Now() const override {
    return AdvanceLocalTime(setting_.start, elapsedMs_() * setting_.speed / 1000);
  }

 private:
  SimulatedClockSetting setting_;
  std::function<int64_t()> elapsedMs_;
};

}  // namespace qtr
