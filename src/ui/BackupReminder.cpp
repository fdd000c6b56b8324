#include "ui/BackupReminder.h"

#include "config/LanguageText.h"
#include "config/SettingsFile.h"
#include "platform/NumberText.h"
#include "ui/JobNotice.h"

namespace qtr {
namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DayNumber(int year, int month, int day) {
  const int64_t y = year - (month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

int ReminderDaysFrom(XmlDocument& settings) { return ReminderDaysFrom(ReadSetting(settings, kReminderDaysKey)); }

int ReminderDaysFrom(const std::optional<std::u16string>& value) {
  uint64_t days = 0;
  if (!value || value->size() > 4 || !ParseDigits(*value, &days)) return kDefaultReminderDays;
  return static_cast<int>(days);
}

std::u16string DayText(const LocalTime& time) {
  return DecimalText(time.year) + u"-" + DecimalText(time.month, 2) + u"-" + DecimalText(time.day, 2);
}

std::u16string Reminder::Text(const LanguageTable& table) const {
  return WithPlaces(DisplayText(table, TextId::ReminderNotice), DecimalText(days), target);
}

std::optional<Reminder> ReminderDue(const std::vector<JobRecord>& history, bool haveSelection, int days,
                                    const LocalTime& now, std::u16string_view lastShownDay) {
  if (days <= 0 || !haveSelection || lastShownDay == DayText(now)) return std::nullopt;
  const JobRecord* lastGood = nullptr;
  const JobRecord* newest = nullptr;
  for (const JobRecord& record : history) {
    if (record.kind != HistoryJobKind::kBackup) continue;
    newest = &record;
    if (record.Succeeded()) lastGood = &record;
  }
  // Nothing was ever backed up well: there is no "since" to count from.
  if (lastGood == nullptr) return std::nullopt;
  const int64_t since = DayNumber(now.year, now.month, now.day) -
                        DayNumber(lastGood->ended.year, lastGood->ended.month, lastGood->ended.day);
  if (since < days) return std::nullopt;
  return Reminder{static_cast<int>(since), newest->target};
}

ReminderFile::ReminderFile(std::u16string_view programFolder)
    : path_(std::u16string(programFolder) + std::u16string(kReminderFileName)) {}

std::u16string ReminderFile::LastShownDay() const {
  XmlDocument doc;
  if (!doc.Load(path_) || !doc.FindElement(u"Reminder") || !doc.FindChildElement(u"LastShown")) return {};
  return doc.GetChildData();
}

bool ReminderFile::SetLastShownDay(std::u16string_view day) const {
  XmlDocument doc;
  doc.AddElement(u"Reminder");
  doc.IntoElement();
  doc.AddElement(u"LastShown", day);
  return doc.Save(path_);
}

}  // namespace qtr
