// The texts the job shows: durations, file counts and failure reasons.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "config/LanguageTable.h"
#include "engine/JobGuard.h"
#include "engine/JobNotes.h"

namespace qtr {

// HH:MM:SS of the seconds within one day: 3725 -> "01:02:05", 90000 -> "01:00:00".
std::u16string FormatDuration(int64_t seconds);
// "1,234,567 Files".
std::u16string FormatFileCount(int64_t count);
// A message with a count in it: "%d" in text becomes count; a text without
// "%d" (an older language table) gets " (count)" at its end.
std::u16string WithCount(std::u16string_view text, int64_t count);
// What the guard found, said in the table's language: the replacements
// that looked encrypted, the files renamed to one new extension (when there
// were ten), one line each.
std::u16string GuardFindingsText(const LanguageTable& table, const GuardFindings& found);
// The reasons of a job's own lines in table's language (the active one, on
// the window's thread), English where the table has none.
JobNotes JobNotesFrom(const LanguageTable& table);
// The completion's lines on the files a restore set aside before it
// replaced them, in table's language: one for those in the Recycle Bin,
// one for those kept beside; empty when there were none.
std::u16string SetAsideText(const LanguageTable& table, uint32_t recycled, uint32_t keptBeside);
// "Fail(5)" followed directly by the system's text for the Win32 error code.
std::u16string ErrorText(uint32_t code);

}  // namespace qtr
