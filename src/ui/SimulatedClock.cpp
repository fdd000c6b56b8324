#include "ui/SimulatedClock.h"

#include <cstdio>
#include <string>

namespace qtr {
namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

}  // namespace

LocalTime AdvanceLocalTime(const LocalTime& time, int64_t seconds) {
  const int64_t start = DaysFromCivil(time.year, time.month, time.day) * 86400 + time.hour * 3600 +
                        time.minute * 60 + time.second;
  const int64_t now = start + seconds;
  int64_t days = now / 86400, rest = now % 86400;
  if (rest < 0) rest += 86400, --days;
  LocalTime out;
  CivilFromDays(days, out.year, out.month, out.day);
  // 1970-01-01 was a Thursday.
  out.dayOfWeek = static_cast<int>(((days % 7) + 11) % 7);
  out.hour = static_cast<int>(rest / 3600);
  out.minute = static_cast<int>(rest / 60 % 60);
  out.second = static_cast<int>(rest % 60);
  return out;
}

std::optional<SimulatedClockSetting> ParseSimulatedClock(std::string_view text) {
  SimulatedClockSetting setting;
  bool haveStart = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string line(text.substr(at, end - at));
    at = end + 1;
    LocalTime t;
    int speed = 0;
    if (std::sscanf(line.c_str(), " start = %d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                    &t.second) == 6) {
      if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 ||
          t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
        return std::nullopt;
      setting.start = AdvanceLocalTime(t, 0);
      haveStart = true;
    } else if (std::sscanf(line.c_str(), " speed = %d", &speed) == 1 && speed >= 1 && speed <= 3600) {
      setting.speed = speed;
    }
  }
  if (!haveStart) return std::nullopt;
  return setting;
}

}  // namespace qtr
