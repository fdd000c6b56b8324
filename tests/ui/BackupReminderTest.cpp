#include "ui/BackupReminder.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "ui/SimulatedClock.h"

namespace qtr {
namespace {

JobRecord BackupEnded(BackupStartTime ended, JobEnding ending = JobEnding::kFinished, uint64_t failed = 0,
                      std::u16string target = u"P:") {
  JobRecord record;
  record.started = record.ended = ended;
  record.ending = ending;
  record.failedFiles = failed;
  record.target = std::move(target);
  return record;
}

// The main window's timer, once an hour of the simulated clock, from
// 2026-03-04 09:00 on: the reminders said, with the day each was said.
class ReminderRun {
 public:
  ReminderRun() : clock_({{2026, 3, 4, 3, 9, 0, 0}, 3600}, [this] { return elapsedMs_; }) {}

  std::vector<std::u16string> Run(const std::vector<JobRecord>& history, int days, int hours,
                                   bool haveSelection = true) {
    std::vector<std::u16string> said;
    for (int hour = 0; hour < hours; ++hour, elapsedMs_ += 1000) {
      const LocalTime now = clock_.Now();
      if (const auto due = ReminderDue(history, haveSelection, days, now, lastShown_)) {
        lastShown_ = DayText(now);
        said.push_back(lastShown_ + u" " + due->Text(english_));
      }
    }
    return said;
  }
  std::u16string lastShown_;

 private:
  int64_t elapsedMs_ = 0;
  SimulatedClock clock_;
  LanguageTable english_;
};

TEST(BackupReminderTest, SaysOnceADayOnceTheDaysHavePassed) {
  ReminderRun run;
  // Last good backup on 2026-02-26, a failed one after it onto Q:; seven days are up on 03-05.
  const std::vector<JobRecord> history = {BackupEnded({2026, 2, 26, 20, 0, 0}),
                                          BackupEnded({2026, 3, 1, 8, 0, 0}, JobEnding::kFinished, 2, u"Q:")};
  const std::vector<std::u16string> said = run.Run(history, 8, 24 * 4);
  ASSERT_EQ(said.size(), 3u);
  // 03-04 is day 6 since 02-26, not yet 8; the days count on through the month's end.
  EXPECT_EQ(said[0], u"2026-03-06 Your files have not been backed up for 8 days. The last backup went to Q:.");
  EXPECT_EQ(said[1].substr(0, 10), u"2026-03-07");
  EXPECT_EQ(said[2].substr(0, 10), u"2026-03-08");
  EXPECT_NE(said[2].find(u"for 10 days"), std::u16string::npos);
  // A restart the same day reads the day it was said and stays quiet.
  ReminderRun restarted;
  restarted.lastShown_ = u"2026-03-04";
  EXPECT_TRUE(restarted.Run(history, 7, 15).empty());
  EXPECT_EQ(restarted.Run(history, 7, 1).size(), 1u);  // 03-05 00:00
}

TEST(BackupReminderTest, NeverAndNeverBackedUpAndARecentBackupSayNothing) {
  const std::vector<JobRecord> old = {BackupEnded({2025, 1, 1, 0, 0, 0})};
  EXPECT_TRUE(ReminderRun().Run(old, 0, 48).empty()) << "0: never";
  EXPECT_TRUE(ReminderRun().Run(old, 7, 48, false).empty()) << "nothing selected";
  EXPECT_TRUE(ReminderRun().Run({}, 7, 48).empty()) << "the first start";
  // Only backups that did not finish well, and jobs of other kinds: never backed up.
  JobRecord restore = BackupEnded({2025, 1, 1, 0, 0, 0});
  restore.kind = HistoryJobKind::kRestore;
  EXPECT_TRUE(ReminderRun()
                  .Run({BackupEnded({2025, 1, 1, 0, 0, 0}, JobEnding::kTargetRemoved),
                        BackupEnded({2025, 2, 1, 0, 0, 0}, JobEnding::kFinished, 1), restore},
                       7, 48)
                  .empty());
  EXPECT_TRUE(ReminderRun().Run({BackupEnded({2026, 3, 4, 8, 0, 0})}, 1, 15).empty());
  EXPECT_EQ(ReminderRun().Run({BackupEnded({2026, 3, 4, 8, 0, 0})}, 1, 16).size(), 1u);
}

TEST(BackupReminderTest, DaysSettingAndTheShownDayAreKept) {
  XmlDocument settings;
  settings.SetDoc(u"<InitInfo><BackupFinish>0</BackupFinish></InitInfo>");
  EXPECT_EQ(ReminderDaysFrom(settings), 7) << "a file without the key";
  for (const auto& [value, days] : {std::pair{u"0", 0}, {u"14", 14}, {u"x", 7}, {u"", 7}, {u"-3", 7}}) {
    settings.SetDoc(u"<InitInfo><ReminderDays>" + std::u16string(value) + u"</ReminderDays></InitInfo>");
    EXPECT_EQ(ReminderDaysFrom(settings), days);
  }
  test::TempFolder temp;
  const ReminderFile file(temp.File(u""));
  EXPECT_EQ(file.LastShownDay(), u"");
  ASSERT_TRUE(file.SetLastShownDay(u"2026-03-05"));
  EXPECT_EQ(file.LastShownDay(), u"2026-03-05");
  EXPECT_EQ(test::ReadBytes(temp.File(u"reminder.xml")),
            "<Reminder>\r\n<LastShown>2026-03-05</LastShown>\r\n</Reminder>\r\n");
}

}  // namespace
}  // namespace qtr
