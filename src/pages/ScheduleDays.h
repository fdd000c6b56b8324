// The seven schedule entries of the settings file as the schedule page and
// the time dialog edit them: one empty element per weekday, Monday first,
// with "IsSet" and "Timing".
#pragma once
#include <span>
#include <string>
#include <string_view>

#include "config/LanguageText.h"
#include "config/SettingsFile.h"
#include "pages/TimeFields.h"

namespace qtr {

struct ScheduleDay {
  std::u16string_view element;  // English, whatever language the screens use
  TextId label;
};

// Monday to Sunday.
std::span<const ScheduleDay> ScheduleDays();

// The day's "Timing", empty when the day is missing.
std::u16string ScheduleDayTiming(XmlDocument& settings, std::u16string_view day);
// Whether the day is switched on ("IsSet" exactly "1").
bool ScheduleDayIsSet(XmlDocument& settings, std::u16string_view day);

// Rewrites one day with both attributes; the element goes back where it
// stood (after its previous sibling), a missing day at the end of the root.
bool StoreScheduleDay(const SettingsFile& file, std::u16string_view day, bool isSet,
                      std::u16string_view timing);

// The day's check box: switches the day on or off and keeps its time.
bool MarkScheduleDay(const SettingsFile& file, std::u16string_view day, bool isSet);

// The time dialog's OK: the time for one day, or for every day when
// allDays; setting a time also switches the day on.
bool StoreScheduleTime(const SettingsFile& file, std::u16string_view day, bool allDays, TimeOfDay time);

}  // namespace qtr
