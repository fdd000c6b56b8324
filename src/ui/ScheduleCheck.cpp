#include "ui/ScheduleCheck.h"

#include <cstdio>

#include "config/SettingsFile.h"

namespace qtr {
namespace {

std::u16string Ascii(const char* text) {
  std::u16string out;
  for (; *text != 0; ++text) out.push_back(static_cast<char16_t>(*text));
  return out;
}

std::u16string Stamp(const LocalTime& now) {
  char text[64];
  std::snprintf(text, sizeof text, "%d-%d-%d %d:%d", now.year, now.month, now.day, now.hour, now.minute);
  return Ascii(text);
}

}  // namespace

std::u16string FormatScheduleTime(int hour, int minute) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", hour, minute);
  return Ascii(text);
}

std::u16string_view WeekdayElementName(int dayOfWeek) {
  static constexpr std::u16string_view kDays[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                  u"Thursday", u"Friday", u"Saturday"};
  if (dayOfWeek < 0 || dayOfWeek > 6) return {};
  return kDays[dayOfWeek];
}

bool ScheduleDueCheck::Due(const LocalTime& now, XmlDocument& settings) {
  const std::u16string stamp = Stamp(now);
  // The rest of a minute that fired is skipped.
  if (firedOnce_ && lastChecked_ == stamp) return false;
  lastChecked_.clear();
  const std::u16string_view day = WeekdayElementName(now.dayOfWeek);
  if (day.empty()) return false;
  const auto isSet = ReadSettingAttribute(settings, day, u"IsSet");
  if (!isSet || *isSet != u"1") return false;
  lastChecked_ = stamp;
  const auto timing = ReadSettingAttribute(settings, day, u"Timing");
  if (!timing || *timing != FormatScheduleTime(now.hour, now.minute)) return false;
  firedOnce_ = true;
  return true;
}

}  // namespace qtr
