// The weekly schedule's due check, run on every tick of the File Backup
// page: each weekday element of the settings file says whether that day is
// scheduled ("IsSet") and at which minute ("Timing", "HH:MM"). A scheduled
// minute fires once, at its first tick.
#pragma once
#include <string>

#include "ui/LocalTime.h"
#include "xml/XmlDocument.h"

namespace qtr {

class ScheduleDueCheck {
 public:
  // True when a backup is due at now; settings is the freshly loaded
  // settings file (empty when it did not load: nothing is due).
  bool Due(const LocalTime& now, XmlDocument& settings);

  // Set with the first start handed over; never cleared.
  bool FiredOnce() const { return firedOnce_; }
  // The minute last examined on a scheduled day, "%d-%d-%d %d:%d".
  const std::u16string& LastChecked() const { return lastChecked_; }

 private:
  bool firedOnce_ = false;
  std::u16string lastChecked_;
};

// "HH:MM" with two digits each.
std::u16string FormatScheduleTime(int hour, int minute);
// The settings element of a weekday, 0 "Sunday" .. 6 "Saturday"; empty out of range.
std::u16string_view WeekdayElementName(int dayOfWeek);

}  // namespace qtr
