// What the History window shows, decided here so that it is tested natively:
// one row per job, newest first, each column in the language of a table, and
// the text of an opened job, which is also what Copy puts on the clipboard.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "config/JobHistory.h"
#include "config/LanguageTable.h"

namespace qtr {

struct HistoryRow {
  uint64_t id = 0;
  std::u16string when, kind, trigger, target, result, duration;
};

// records as the history keeps them, oldest first; the rows newest first.
std::vector<HistoryRow> HistoryRows(const std::vector<JobRecord>& records, const LanguageTable& table);
HistoryRow HistoryRowOf(const JobRecord& record, const LanguageTable& table);

// "Finished", "3 files failed", "Stopped: disk removed", "Stopped, 2 files failed".
std::u16string JobResultText(const JobRecord& record, const LanguageTable& table);
// From start to end: "0:42", "12:05", "1:02:05", "26:00:00"; empty when the
// end lies before the start (the clock was put back) or a time is not a date.
std::u16string JobDurationText(const BackupStartTime& started, const BackupStartTime& ended);

// An opened job: a first line naming it (time, job, target, result), then its
// failure lines, then how many lines the history left out; every line ends
// with "\r\n", as the clipboard and an edit control take them.
std::u16string OpenedJobText(const JobRecord& record, const LanguageTable& table);

}  // namespace qtr
