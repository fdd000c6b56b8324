#include "ui/JobNotice.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

JobRecord Ended(HistoryJobKind kind, JobEnding ending, uint64_t files, uint64_t failed) {
  JobRecord record;
  record.kind = kind;
  record.ending = ending;
  record.target = kind == HistoryJobKind::kDiskCopy ? u"WDC Passport #1" : u"P:";
  record.files = files;
  record.failedFiles = failed;
  return record;
}

class JobNoticeTest : public testing::Test {
 protected:
  std::u16string Text(HistoryJobKind kind, JobEnding ending, uint64_t files = 0, uint64_t failed = 0) {
    return JobNoticeFor(Ended(kind, ending, files, failed), english_).text;
  }
  LanguageTable english_;  // not loaded: the English defaults
};

TEST_F(JobNoticeTest, AFinishedJobSaysItsFilesAndAFailedOneHowManyFailed) {
  using enum HistoryJobKind;
  EXPECT_EQ(Text(kBackup, JobEnding::kFinished, 1234), u"Backup to P: finished: 1,234 files");
  EXPECT_EQ(Text(kBackup, JobEnding::kFinished, 1), u"Backup to P: finished: 1 file");
  EXPECT_EQ(Text(kBackup, JobEnding::kFinished, 1231, 3), u"Backup to P: 3 files failed");
  EXPECT_EQ(Text(kBackup, JobEnding::kFinished, 4, 1), u"Backup to P: 1 file failed");
  EXPECT_EQ(Text(kRestore, JobEnding::kFinished, 1234567), u"Restore from P: finished: 1,234,567 files");
  EXPECT_EQ(Text(kVerify, JobEnding::kFinished, 10, 2), u"Verify of P: 2 files damaged or missing");
  EXPECT_EQ(Text(kDiskCopy, JobEnding::kFinished), u"Disk copy to WDC Passport #1 finished");
  EXPECT_EQ(Text(kDiskCopy, JobEnding::kFinished, 0, 1), u"Disk copy to WDC Passport #1 did not complete");
  EXPECT_FALSE(JobNoticeFor(Ended(kBackup, JobEnding::kFinished, 5, 0), english_).warning);
  EXPECT_TRUE(JobNoticeFor(Ended(kBackup, JobEnding::kFinished, 5, 1), english_).warning);
}

TEST_F(JobNoticeTest, AStoppedJobSaysWhyAndWhatHadFailedBefore) {
  using enum HistoryJobKind;
  EXPECT_EQ(Text(kBackup, JobEnding::kTargetRemoved, 10), u"Backup to P: stopped, the disk was removed");
  EXPECT_EQ(Text(kBackup, JobEnding::kLowSpace, 10), u"Backup to P: stopped, the disk is full");
  EXPECT_EQ(Text(kRestore, JobEnding::kStoppedByPerson, 10), u"Restore from P: stopped");
  EXPECT_EQ(Text(kBackup, JobEnding::kStoppedByGuard, 10),
            u"Backup to P: stopped, files looked encrypted by an attack");
  EXPECT_EQ(Text(kBackup, JobEnding::kTargetRemoved, 10, 2),
            u"Backup to P: stopped, the disk was removed (2 files failed)");
  EXPECT_EQ(Text(kBackup, JobEnding::kLowSpace, 10, 1), u"Backup to P: stopped, the disk is full (1 file failed)");
  EXPECT_EQ(Text(kDiskCopy, JobEnding::kTargetRemoved), u"Disk copy to WDC Passport #1 stopped, the disk was removed");
  for (const JobEnding ending : {JobEnding::kStoppedByPerson, JobEnding::kLowSpace, JobEnding::kTargetRemoved,
                                 JobEnding::kStoppedByGuard})
    EXPECT_TRUE(JobNoticeFor(Ended(kBackup, ending, 0, 0), english_).warning);
}

TEST(JobNoticeTextTest, CountsAreGroupedAndPlacesMayComeInAnyOrder) {
  EXPECT_EQ(GroupedCount(0), u"0");
  EXPECT_EQ(GroupedCount(999), u"999");
  EXPECT_EQ(GroupedCount(1000), u"1,000");
  EXPECT_EQ(GroupedCount(18446744073709551615ull), u"18,446,744,073,709,551,615");
  EXPECT_EQ(WithPlaces(u"%2 \u4e2a\u6587\u4ef6\uff1a%1", u"P:", u"3"), u"3 \u4e2a\u6587\u4ef6\uff1aP:");
  EXPECT_EQ(WithPlaces(u"to %1", u"disk %2"), u"to disk %2");
}

}  // namespace
}  // namespace qtr
