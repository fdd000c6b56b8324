// The progress figures and the ticker the progress window and qtrpack follow.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "engine/JobProgress.h"

namespace qtr {
namespace {

using test::Narrow;

TEST(JobProgressTest, RulesAndFiguresNeverDivideByZero) {
  EXPECT_TRUE(IsLowOnSpace(3u << 20));
  EXPECT_TRUE(IsLowOnSpace((4u << 20) - 1));
  EXPECT_FALSE(IsLowOnSpace(4u << 20));
  EXPECT_TRUE(IsTargetRemoval(u"F:", u"F:"));
  EXPECT_FALSE(IsTargetRemoval(u"G:", u"F:"));
  EXPECT_EQ(RemainingSeconds(1000, 0, 5), std::nullopt);
  EXPECT_EQ(RemainingSeconds(1000, 3, 5), std::nullopt);  // under a byte a second
  EXPECT_EQ(RemainingSeconds(1000, 600, 5), 4);            // 100 bytes a second over 6 seconds
  EXPECT_EQ(OverallPercent(0, 0), 100);
  EXPECT_EQ(OverallPercent(200, 50), 25);
}

class JobTickerTest : public test::JobFixture {};

TEST_F(JobTickerTest, ScanThenCopyThenFinish) {
  auto job = NewJob(false);
  JobTicker ticker(100);
  job->counters.scanning = 1;
  job->counters.scannedCount = 1500;
  JobView view = ticker.Tick(*job, 105, 0, false);
  EXPECT_TRUE(view.scanning);
  EXPECT_EQ(Narrow(view.scannedText), "1,500 Files");
  EXPECT_FALSE(view.elapsedText);

  job->counters.scanning = 0;
  job->counters.totalBytes = 1000;
  job->counters.doneBytes = 250;
  job->counters.currentSize = 100;
  job->counters.currentDone = 100;
  job->counters.SetCurrentFile(u"C:\\a.txt");
  view = ticker.Tick(*job, 105, 1, false);
  EXPECT_TRUE(view.showControls);
  EXPECT_TRUE(view.showFailureList);
  EXPECT_EQ(view.overallPercent, 25);
  EXPECT_EQ(view.filePercent, 100);
  EXPECT_EQ(view.currentFile, u"C:\\a.txt");
  EXPECT_FALSE(view.elapsedText);  // no second has passed since the copy began
  view = ticker.Tick(*job, 107, 1, false);
  EXPECT_FALSE(view.showControls);
  EXPECT_FALSE(view.currentFile);
  EXPECT_EQ(view.elapsedText, u"00:00:01");  // one second per tick at most
  EXPECT_EQ(view.remainingText, u"00:00:06");  // 125 bytes a second, 750 left
  EXPECT_EQ(view.action, JobView::Action::kNone);
  job->control.stop = 1;
  EXPECT_EQ(ticker.Tick(*job, 107, 1, true).action, JobView::Action::kNone);  // the stop question is open
  view = ticker.Tick(*job, 107, 1, false);
  EXPECT_EQ(view.action, JobView::Action::kFinish);
  EXPECT_EQ(view.remainingText, u"00:00:00");
}

TEST_F(JobTickerTest, LowSpaceStopsABackupButNotARestore) {
  fs.SetCapacity(u'F', 3u << 20);
  auto job = NewJob(false);
  job->counters.totalBytes = 10;
  JobTicker ticker(0);
  EXPECT_EQ(ticker.Tick(*job, 1, 0, false).action, JobView::Action::kStopForLowSpace);
  EXPECT_EQ(job->control.stop, 1);
  auto restore = NewJob(true);
  restore->counters.totalBytes = 10;
  EXPECT_EQ(ticker.Tick(*restore, 1, 0, false).action, JobView::Action::kNone);
  fs.SetCapacity(u'F', 4u << 20);
  auto roomy = NewJob(false);
  roomy->counters.totalBytes = 10;
  EXPECT_EQ(ticker.Tick(*roomy, 1, 0, false).action, JobView::Action::kNone);
}

// The pass waits on the guard's question: asked once per wait, until answered.
TEST_F(JobTickerTest, AWaitingGuardIsAskedUntilAnswered) {
  auto job = NewJob(false);
  job->counters.totalBytes = 10;
  JobTicker ticker(0);
  job->guard.waiting = 1;
  EXPECT_EQ(ticker.Tick(*job, 1, 0, false).action, JobView::Action::kAskGuard);
  job->guard.answer = JobGuard::kGoOn;
  EXPECT_EQ(ticker.Tick(*job, 2, 0, false).action, JobView::Action::kNone);
}

TEST_F(JobTickerTest, AnEmptyJobEndsWithFullBarsAndNoCompletion) {
  Selection(u"backupfullpath.xml", {});
  auto job = NewJob(false);
  RunJob(*job);
  JobTicker ticker(0);
  const JobView view = ticker.Tick(*job, 1, 0, false);
  EXPECT_EQ(view.action, JobView::Action::kEndedWithNothing);
  EXPECT_EQ(view.overallPercent, 100);
  EXPECT_EQ(view.filePercent, 100);
  EXPECT_EQ(Narrow(view.finishedText), "0 Files");
}

}  // namespace
}  // namespace qtr
