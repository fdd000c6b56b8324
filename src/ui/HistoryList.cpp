#include "ui/HistoryList.h"

#include "config/LanguageText.h"
#include "engine/JobText.h"
#include "platform/NumberText.h"

namespace qtr {
namespace {

TextId KindText(HistoryJobKind kind) {
  switch (kind) {
    case HistoryJobKind::kBackup: return TextId::HistoryKindBackup;
    case HistoryJobKind::kRestore: return TextId::HistoryKindRestore;
    case HistoryJobKind::kVerify: return TextId::HistoryKindVerify;
    case HistoryJobKind::kDiskCopy: return TextId::HistoryKindDiskCopy;
  }
  return TextId::HistoryKindBackup;
}

TextId TriggerText(JobTrigger trigger) {
  switch (trigger) {
    case JobTrigger::kButton: return TextId::HistoryTriggerButton;
    case JobTrigger::kQuickActivate: return TextId::HistoryTriggerQuickActivate;
    case JobTrigger::kHotKey: return TextId::HistoryTriggerHotKey;
    case JobTrigger::kEnclosureButton: return TextId::HistoryTriggerEnclosureButton;
    case JobTrigger::kSchedule: return TextId::HistoryTriggerSchedule;
    case JobTrigger::kCommandLine: return TextId::HistoryTriggerCommandLine;
  }
  return TextId::HistoryTriggerButton;
}

TextId EndingText(JobEnding ending) {
  switch (ending) {
    case JobEnding::kFinished: return TextId::HistoryFinished;
    case JobEnding::kStoppedByPerson: return TextId::HistoryStopped;
    case JobEnding::kLowSpace: return TextId::HistoryLowSpace;
    case JobEnding::kTargetRemoved: return TextId::HistoryDiskRemoved;
    case JobEnding::kStoppedByGuard: return TextId::HistoryStoppedByGuard;
  }
  return TextId::HistoryStopped;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

bool IsDate(const BackupStartTime& t) {
  return t.year >= 1601 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour >= 0 &&
         t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 60;
}

int64_t SecondsOf(const BackupStartTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

std::u16string FailedText(uint64_t failed, const LanguageTable& table) {
  if (failed == 1) return DisplayText(table, TextId::HistoryOneFileFailed);
  return WithCount(DisplayText(table, TextId::HistoryFilesFailed), static_cast<int64_t>(failed));
}

}  // namespace

std::u16string JobResultText(const JobRecord& record, const LanguageTable& table) {
  if (record.ending == JobEnding::kFinished && record.failedFiles > 0)
    return FailedText(record.failedFiles, table);
  std::u16string ending = DisplayText(table, EndingText(record.ending));
  if (record.failedFiles == 0) return ending;
  return FillText(DisplayText(table, TextId::HistoryEndingAndFailed),
                  {ending, FailedText(record.failedFiles, table)});
}

std::u16string JobDurationText(const BackupStartTime& started, const BackupStartTime& ended) {
  if (!IsDate(started) || !IsDate(ended)) return {};
  const int64_t seconds = SecondsOf(ended) - SecondsOf(started);
  if (seconds < 0) return {};
  const int64_t hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
  if (hours == 0) return DecimalText(minutes) + u":" + DecimalText(rest, 2);
  return DecimalText(hours) + u":" + DecimalText(minutes, 2) + u":" + DecimalText(rest, 2);
}

HistoryRow HistoryRowOf(const JobRecord& record, const LanguageTable& table) {
  HistoryRow row;
  row.id = record.id;
  row.when = FormatBackupTime(record.started);
  row.kind = DisplayText(table, KindText(record.kind));
  row.trigger = DisplayText(table, TriggerText(record.trigger));
  row.target = record.target;
  if (!record.diskName.empty() && record.diskName != record.target) {
    row.target += row.target.empty() ? record.diskName : u" (" + record.diskName + u")";
  }
  row.result = JobResultText(record, table);
  row.duration = JobDurationText(record.started, record.ended);
  return row;
}

std::vector<HistoryRow> HistoryRows(const std::vector<JobRecord>& records, const LanguageTable& table) {
  std::vector<HistoryRow> rows;
  rows.reserve(records.size());
  for (auto record = records.rbegin(); record != records.rend(); ++record)
    rows.push_back(HistoryRowOf(*record, table));
  return rows;
}

std::u16string OpenedJobText(const JobRecord& record, const LanguageTable& table) {
  const HistoryRow row = HistoryRowOf(record, table);
  std::u16string text = row.when + u"  " + row.kind + u"  " + row.target + u"  " + row.result + u"\r\n";
  for (const std::u16string& line : record.lines) {
    // A line of the job never breaks the text into more lines than it is.
    std::u16string flat = line;
    for (char16_t& c : flat) {
      if (c == u'\r' || c == u'\n') c = u' ';
    }
    text += flat + u"\r\n";
  }
  if (record.linesLeftOut == 1) {
    text += DisplayText(table, TextId::HistoryOneLineLeftOut) + u"\r\n";
  } else if (record.linesLeftOut > 1) {
    text += WithCount(DisplayText(table, TextId::HistoryLinesLeftOut),
                      static_cast<int64_t>(record.linesLeftOut)) +
            u"\r\n";
  }
  if (record.lines.empty() && record.linesLeftOut == 0 && record.failedFiles == 0)
    text += DisplayText(table, TextId::HistoryNoLines) + u"\r\n";
  return text;
}

}  // namespace qtr
