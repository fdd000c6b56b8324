// The Setting page's choice of when the program reminds that backups have
// stopped: init.xml's "ReminderDays", the days without a successful backup
// ("0": never). While the person has not chosen, the key is absent and the
// reminder comes after kDefaultReminderDays.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/LanguageTable.h"

namespace qtr {

inline constexpr std::u16string_view kReminderDaysKey = u"ReminderDays";
inline constexpr int kDefaultReminderDays = 7;

// The days a stored value says, as the reminder reads them: absent, or not
// a number of at most four digits: the default.
int ReminderDaysFrom(const std::optional<std::u16string>& stored);

// What the list offers, in order, "never" (0) last; days that are not among
// the usual choices (a hand-edited file) keep a place of their own.
std::vector<int> ReminderChoices(int current);
// "1 day", "7 days", "Never".
std::u16string ReminderChoiceText(int days, const LanguageTable& table);

}  // namespace qtr
