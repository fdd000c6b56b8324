#include "pages/ScheduleDays.h"

namespace qtr {
namespace {

constexpr ScheduleDay kDays[] = {
    {u"Monday", TextId::Monday},     {u"Tuesday", TextId::Tuesday}, {u"Wednesday", TextId::Wednesday},
    {u"Thursday", TextId::Thursday}, {u"Friday", TextId::Friday},   {u"Saturday", TextId::Saturday},
    {u"Sunday", TextId::Sunday},
};

}  // namespace

std::span<const ScheduleDay> ScheduleDays() {
  return kDays;
}

std::u16string ScheduleDayTiming(XmlDocument& settings, std::u16string_view day) {
  return ReadSettingAttribute(settings, day, u"Timing").value_or(u"");
}

bool ScheduleDayIsSet(XmlDocument& settings, std::u16string_view day) {
  return ReadSettingAttribute(settings, day, u"IsSet").value_or(u"") == u"1";
}

bool StoreScheduleDay(const SettingsFile& file, std::u16string_view day, bool isSet,
                      std::u16string_view timing) {
  XmlDocument doc;
  if (!file.LoadOrWriteDefaults(doc)) return false;
  doc.ResetPosition();
  if (doc.FindChildElement(day)) doc.RemoveChildElement();
  // The cursor stands on the root with the removed day's previous sibling as
  // child; entering the root makes that sibling current, so the day is
  // added right after it.
  doc.FindElement();
  if (!doc.IntoElement() || !doc.AddElement(day)) return false;
  doc.SetAttribute(u"IsSet", isSet ? u"1" : u"0");
  doc.SetAttribute(u"Timing", timing);
  return doc.Save(file.Path());
}

bool MarkScheduleDay(const SettingsFile& file, std::u16string_view day, bool isSet) {
  XmlDocument doc;
  if (!file.LoadOrWriteDefaults(doc)) return false;
  return StoreScheduleDay(file, day, isSet, ScheduleDayTiming(doc, day));
}

bool StoreScheduleTime(const SettingsFile& file, std::u16string_view day, bool allDays, TimeOfDay time) {
  const std::u16string timing = FormatTiming(time);
  if (!allDays) return StoreScheduleDay(file, day, true, timing);
  bool stored = true;
  for (const ScheduleDay& each : kDays) stored = StoreScheduleDay(file, each.element, true, timing) && stored;
  return stored;
}

}  // namespace qtr
