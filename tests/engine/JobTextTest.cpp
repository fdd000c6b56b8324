// Store paths, job texts and the progress figures.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "engine/JobProgress.h"
#include "engine/JobText.h"
#include "engine/StoreLayout.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

using test::Narrow;

TEST(StoreLayoutTest, MapsSourcesIntoTheStoreAndBack) {
  EXPECT_EQ(MapToStored(u"F:\\QTRPMB", u"C:\\Users\\ann\\a.txt"), u"F:\\QTRPMB\\C\\Users\\ann\\a.txt");
  EXPECT_EQ(MapToStored(u"F:\\QTRPMB", u"D:\\photo.jpg"), u"F:\\QTRPMB\\D\\photo.jpg");
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB\\C\\Users\\ann\\a.txt"), u"C:\\Users\\ann\\a.txt");
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB\\C\\a.txt.zip"), u"C:\\a.txt.zip");
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB"), u"");
  EXPECT_EQ(MapToSource(u"F:\\Other\\a"), u"");
  // Only a one-letter drive folder of a store root maps to a drive.
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB\\C"), u"C:");
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB\\Docs\\x.txt"), u"");
  EXPECT_EQ(MapToSource(u"F:\\QTRPMB\\~partial\\3.~qtrpart"), u"");
  EXPECT_EQ(MapToSource(u"T:\\other\\QTRPMB\\S\\tree"), u"");
}

// A rename that changed only the case of a non-ASCII letter read as
// another file: names fold as the volume compares them.
TEST(StoreLayoutTest, NamesFoldAsTheVolumeComparesThem) {
  EXPECT_EQ(Lowercase(u"F:\\QTRPMB\\C\\\u00C4RGER \u03A9\u0416.TXT"), u"f:\\qtrpmb\\c\\\u00E4rger \u03C9\u0436.txt");
  EXPECT_EQ(Lowercase(u"\u01C4\u01C5\u01C6"), u"\u01C6\u01C6\u01C6");  // DZ, Dz, dz
  EXPECT_EQ(Lowercase(u"\u017F"), u"s");                             // long s upper-cases to S
  EXPECT_EQ(Lowercase(u"\u212A"), u"\u212A");                       // the Kelvin sign is not "k"
  EXPECT_EQ(Lowercase(u"\uFF21\u0100\u0101"), u"\uFF41\u0101\u0101");
  EXPECT_TRUE(EndsWithNoCase(u"\u00C9T\u00C9.TXT", u"\u00E9.txt"));
}

TEST(JobTextTest, DurationsAndCounts) {
  EXPECT_EQ(Narrow(FormatDuration(0)), "00:00:00");
  EXPECT_EQ(Narrow(FormatDuration(59)), "00:00:59");
  EXPECT_EQ(Narrow(FormatDuration(3725)), "01:02:05");
  EXPECT_EQ(Narrow(FormatDuration(90000)), "01:00:00");
  EXPECT_EQ(Narrow(FormatFileCount(0)), "0 Files");
  EXPECT_EQ(Narrow(FormatFileCount(999)), "999 Files");
  EXPECT_EQ(Narrow(FormatFileCount(1000)), "1,000 Files");
  EXPECT_EQ(Narrow(FormatFileCount(1234567)), "1,234,567 Files");
  EXPECT_EQ(Narrow(WithCount(u"The backup ended with %d failed files.", 12)),
            "The backup ended with 12 failed files.");
  EXPECT_EQ(Narrow(WithCount(u"Failed files", 3)), "Failed files (3)");
  // The code as a signed number, then the system's own words for it.
  EXPECT_EQ(Narrow(ErrorText(5).substr(0, 13)), "Fail(5)Access");
  EXPECT_EQ(Narrow(ErrorText(0xFFFFFFFFu).substr(0, 8)), "Fail(-1)");
  EXPECT_EQ(Narrow(ErrorText(1117).substr(0, 10)), "Fail(1117)");
}

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
