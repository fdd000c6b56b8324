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
#include "ui/BackupReminder.h"

namespace qtr {

// What the list offers, in order, "never" (0) last; days that are not among
// the usual choices (a hand-edited file) keep a place of their own.
std::vector<int> ReminderChoices(int current);
// "1 day", "7 days", "Never".
std::u16string ReminderChoiceText(int days, const LanguageTable& table);

}  // namespace qtr
