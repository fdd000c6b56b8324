// The Setting page's choice of how long a backup keeps the stored copies it
// replaces: init.xml's "VersionDays" (engine/JobOptions.h reads it for the
// job). While the person has not chosen, the key is absent and versions
// stay kDefaultVersionDays.
#pragma once
#include <string>
#include <vector>

#include "config/LanguageTable.h"
#include "engine/JobOptions.h"

namespace qtr {

// What the list offers, in order, "do not keep" (0) first; days that are
// not among the usual choices (a hand-edited file) keep a place of their own.
std::vector<int> VersionDayChoices(int current);
// "Do not keep", "1 day", "30 days".
std::u16string VersionDayChoiceText(int days, const LanguageTable& table);

}  // namespace qtr
