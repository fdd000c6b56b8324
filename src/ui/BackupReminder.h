// The reminder when backups stop: once a day, when the selection has not had
// a backup that finished without a failed file for a number of days, the
// notification area says so, naming the days and the target last used. A
// selection never backed up (the first start among them) is not nagged about.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/JobHistory.h"
#include "config/LanguageTable.h"
#include "ui/LocalTime.h"
#include "xml/XmlDocument.h"

namespace qtr {

// The days setting, "ReminderDays" in init.xml: written only once the person
// chose it, so a file without it holds the default. "0" never reminds.
inline constexpr std::u16string_view kReminderDaysKey = u"ReminderDays";
inline constexpr int kDefaultReminderDays = 7;
// The days a stored value says: absent, or not a number of at most four
// digits, the default.
int ReminderDaysFrom(const std::optional<std::u16string>& stored);
int ReminderDaysFrom(XmlDocument& settings);

// reminder.xml beside init.xml keeps the day the reminder was last shown,
// so that a restart the same day does not say it again.
inline constexpr std::u16string_view kReminderFileName = u"reminder.xml";

struct Reminder {
  int days = 0;            // since the last backup that succeeded
  std::u16string target;   // of the newest backup, whatever its end
  std::u16string Text(const LanguageTable& table) const;
};

// "2026-03-07", the day as the reminder file keeps it.
std::u16string DayText(const LocalTime& time);

// Whether to remind now. history oldest first; lastShownDay as DayText
// writes it (empty: never shown).
std::optional<Reminder> ReminderDue(const std::vector<JobRecord>& history, bool haveSelection, int days,
                                    const LocalTime& now, std::u16string_view lastShownDay);

class ReminderFile {
 public:
  explicit ReminderFile(std::u16string_view programFolder);
  // Empty when none was shown or the file does not load.
  std::u16string LastShownDay() const;
  bool SetLastShownDay(std::u16string_view day) const;

 private:
  std::u16string path_;
};

}  // namespace qtr
