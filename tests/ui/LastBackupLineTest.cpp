#include "ui/LastBackupLine.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

TEST(LastBackupLineTest, ShortLabelKeepsTheTimeBesideIt) {
  const LastBackupLayout layout = LayOutLastBackup(542, 110, 16);
  EXPECT_EQ(layout.labelX, 190);
  EXPECT_EQ(layout.labelTop, 67);
  EXPECT_EQ(layout.timeX, 305);
  EXPECT_EQ(layout.timeTop, 67);
}

TEST(LastBackupLineTest, LongLabelMovesUpAndPushesTheTimeToTheNextLine) {
  // 190 + 200 + 5 + 160 passes 542.
  const LastBackupLayout layout = LayOutLastBackup(542, 200, 16);
  EXPECT_EQ(layout.labelTop, 67 - 8 - 6);
  EXPECT_EQ(layout.timeX, 190);
  EXPECT_EQ(layout.timeTop, 53 + 16 + 6);
  EXPECT_LE(layout.timeX + LastBackupLayout::kTimeWidth, 542);
}

TEST(LastBackupLineTest, TimeThatJustFitsStaysOnTheLine) {
  const LastBackupLayout layout = LayOutLastBackup(542, 187, 16);
  EXPECT_EQ(layout.timeX, 382);
  EXPECT_EQ(layout.timeTop, layout.labelTop);
}

JobRecord Job(BackupStartTime started, BackupStartTime ended, JobEnding ending,
             HistoryJobKind kind = HistoryJobKind::kBackup) {
  JobRecord record;
  record.started = started;
  record.ended = ended;
  record.ending = ending;
  record.kind = kind;
  return record;
}

TEST(LastBackupTextTest, NamesTheLastBackupThatFinishedAndTheOneAfterThatDidNot) {
  const LanguageTable english;
  const JobRecord done = Job({2026, 3, 1, 9, 0, 0}, {2026, 3, 1, 9, 10, 0}, JobEnding::kFinished);
  const JobRecord pulled = Job({2026, 3, 2, 9, 0, 0}, {2026, 3, 2, 9, 4, 0}, JobEnding::kTargetRemoved);
  const JobRecord restore = Job({2026, 3, 3, 9, 0, 0}, {2026, 3, 3, 9, 1, 0}, JobEnding::kFinished,
                                HistoryJobKind::kRestore);

  LastBackupText text = DecideLastBackup({done}, u"2026-03-01 09:00:00", false, english);
  EXPECT_EQ(text.time, u"2026-03-01 09:00:00");
  EXPECT_EQ(text.note, u"");

  text = DecideLastBackup({done, pulled, restore}, u"2026-03-02 09:00:00", false, english);
  EXPECT_EQ(text.time, u"2026-03-01 09:00:00");
  EXPECT_EQ(text.note, u"The backup started 2026-03-02 09:00:00 did not finish: the disk was removed.");

  // Killed at 42%: its start is recorded, its end never was.
  text = DecideLastBackup({done, restore}, u"2026-03-04 18:00:00", false, english);
  EXPECT_EQ(text.time, u"2026-03-01 09:00:00");
  EXPECT_EQ(text.note, u"The backup started 2026-03-04 18:00:00 did not finish.");
  EXPECT_EQ(DecideLastBackup({done}, u"2026-03-04 18:00:00", true, english).note, u"") << "it runs now";

  text = DecideLastBackup({pulled}, u"2026-03-02 09:00:00", false, english);
  EXPECT_EQ(text.time, u"") << "none ever finished";
  EXPECT_EQ(text.note, u"The backup started 2026-03-02 09:00:00 did not finish: the disk was removed.");

  // No backup in the history yet: the recorded start, as before there was one.
  text = DecideLastBackup({restore}, u"2026-02-01 08:00:00", false, english);
  EXPECT_EQ(text.time, u"2026-02-01 08:00:00");
  EXPECT_EQ(text.note, u"");
}

}  // namespace
}  // namespace qtr
