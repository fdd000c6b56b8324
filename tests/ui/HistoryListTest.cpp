#include "ui/HistoryList.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace qtr {
namespace {

JobRecord Record(uint64_t id, JobEnding ending, uint64_t failed = 0) {
  JobRecord record;
  record.id = id;
  record.started = {2026, 3, 7, 9, 5, 0};
  record.ended = {2026, 3, 7, 9, 47, 30};
  record.target = u"P:";
  record.ending = ending;
  record.failedFiles = failed;
  return record;
}

TEST(HistoryListTest, RowsAreNewestFirstWithEveryColumnInEnglishByDefault) {
  JobRecord older = Record(1, JobEnding::kFinished);
  JobRecord newer = Record(2, JobEnding::kTargetRemoved);
  newer.kind = HistoryJobKind::kDiskCopy;
  newer.trigger = JobTrigger::kEnclosureButton;
  newer.target = u"WDC Passport #1";
  newer.diskName = u"WDC Passport";
  older.diskName = u"WDC Passport";
  const LanguageTable none;
  const std::vector<HistoryRow> rows = HistoryRows({older, newer}, none);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].id, 2u);
  EXPECT_EQ(rows[0].kind, u"Disk copy");
  EXPECT_EQ(rows[0].trigger, u"Enclosure button");
  EXPECT_EQ(rows[0].target, u"WDC Passport #1 (WDC Passport)");
  EXPECT_EQ(rows[0].result, u"Stopped: disk removed");
  EXPECT_EQ(rows[1].id, 1u);
  EXPECT_EQ(rows[1].when, u"2026-03-07 09:05:00");
  EXPECT_EQ(rows[1].kind, u"Backup");
  EXPECT_EQ(rows[1].trigger, u"Button");
  EXPECT_EQ(rows[1].target, u"P: (WDC Passport)");
  EXPECT_EQ(rows[1].result, u"Finished");
  EXPECT_EQ(rows[1].duration, u"42:30");
}

TEST(HistoryListTest, ResultTellsEveryEndingAndTheFailedFiles) {
  const LanguageTable none;
  EXPECT_EQ(JobResultText(Record(1, JobEnding::kFinished, 1), none), u"1 file failed");
  EXPECT_EQ(JobResultText(Record(1, JobEnding::kFinished, 1234), none), u"1234 files failed");
  EXPECT_EQ(JobResultText(Record(1, JobEnding::kStoppedByPerson), none), u"Stopped");
  EXPECT_EQ(JobResultText(Record(1, JobEnding::kLowSpace), none), u"Stopped: low space");
  EXPECT_EQ(JobResultText(Record(1, JobEnding::kStoppedByGuard), none), u"Stopped by the guard");
  // A job that stopped does not hide the files that had failed before.
  EXPECT_EQ(JobResultText(Record(1, JobEnding::kLowSpace, 2), none), u"Stopped: low space, 2 files failed");
}

TEST(HistoryListTest, TriggersAndKindsHaveTheirOwnWords) {
  const LanguageTable none;
  JobRecord record = Record(1, JobEnding::kFinished);
  const std::pair<JobTrigger, std::u16string_view> triggers[] = {
      {JobTrigger::kQuickActivate, u"Quick Activate"},
      {JobTrigger::kHotKey, u"Hotkey"},
      {JobTrigger::kSchedule, u"Schedule"},
      {JobTrigger::kCommandLine, u"qtrpack"}};
  for (const auto& [trigger, text] : triggers) {
    record.trigger = trigger;
    EXPECT_EQ(HistoryRowOf(record, none).trigger, text);
  }
  record.kind = HistoryJobKind::kRestore;
  EXPECT_EQ(HistoryRowOf(record, none).kind, u"Restore");
  record.kind = HistoryJobKind::kVerify;
  EXPECT_EQ(HistoryRowOf(record, none).kind, u"Verify");
}

TEST(HistoryListTest, DurationCountsAcrossMidnightAndMonthsAndRefusesABackwardClock) {
  EXPECT_EQ(JobDurationText({2026, 3, 7, 9, 5, 0}, {2026, 3, 7, 9, 5, 42}), u"0:42");
  EXPECT_EQ(JobDurationText({2026, 3, 7, 9, 5, 0}, {2026, 3, 7, 10, 7, 5}), u"1:02:05");
  EXPECT_EQ(JobDurationText({2026, 2, 28, 23, 0, 0}, {2026, 3, 1, 1, 0, 0}), u"2:00:00");
  EXPECT_EQ(JobDurationText({2028, 2, 28, 23, 0, 0}, {2028, 3, 1, 1, 0, 0}), u"26:00:00");
  EXPECT_EQ(JobDurationText({2026, 3, 7, 9, 5, 0}, {2026, 3, 7, 9, 4, 59}), u"");
  EXPECT_EQ(JobDurationText({}, {2026, 3, 7, 9, 4, 59}), u"");
}

TEST(HistoryListTest, OpenedJobListsItsLinesAndWhatWasLeftOut) {
  const LanguageTable none;
  JobRecord record = Record(7, JobEnding::kFinished, 103);
  record.lines = {u"C:\\Users\\ann\\a.doc Fail(32)", u"C:\\Users\\ann\\b\r\nc.doc Fail(5)"};
  record.linesLeftOut = 101;
  EXPECT_EQ(OpenedJobText(record, none),
            u"2026-03-07 09:05:00  Backup  P:  103 files failed\r\n"
            u"C:\\Users\\ann\\a.doc Fail(32)\r\n"
            u"C:\\Users\\ann\\b  c.doc Fail(5)\r\n"
            u"101 more lines were left out.\r\n");
  record.linesLeftOut = 1;
  EXPECT_TRUE(OpenedJobText(record, none).ends_with(u"Fail(5)\r\n1 more line was left out.\r\n"));
  const JobRecord clean = Record(8, JobEnding::kFinished);
  EXPECT_EQ(OpenedJobText(clean, none), u"2026-03-07 09:05:00  Backup  P:  Finished\r\nNo file failed.\r\n");
}

TEST(HistoryListTest, TextsComeFromTheTable) {
  test::TempFolder folder;
  const std::u16string path = folder.File(u"0x0804.xml");
  test::WriteBytes(path,
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Language>\n"
                   "<HistoryKindBackup>\xE5\xA4\x87\xE4\xBB\xBD</HistoryKindBackup>\n"
                   "<HistoryFilesFailed>%d "
                   "\xE4\xB8\xAA\xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB1\xE8\xB4\xA5</HistoryFilesFailed>\n"
                   "</Language>\n");
  LanguageTable table;
  ASSERT_TRUE(table.Load(path));
  const HistoryRow row = HistoryRowOf(Record(1, JobEnding::kFinished, 3), table);
  EXPECT_EQ(row.kind, u"\u5907\u4EFD");
  EXPECT_EQ(row.result, u"3 \u4E2A\u6587\u4EF6\u5931\u8D25");
}

}  // namespace
}  // namespace qtr
