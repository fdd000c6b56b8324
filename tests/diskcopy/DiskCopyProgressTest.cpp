#include <gtest/gtest.h>

#include "diskcopy/DiskCopyProgress.h"

namespace qtr {
namespace {

TEST(DiskCopyProgress, LabelsUseKilobytesWithSeparators) {
  EXPECT_EQ(KilobyteLabel(1234567ull * 1024), u"1,234,567KB");
  EXPECT_EQ(KilobyteLabel(500000000000ull), u"488,281,250KB");  // 500 GB
  EXPECT_EQ(KilobyteLabel(1023), u"0KB");
  EXPECT_EQ(KilobyteLabel(999 * 1024), u"999KB");
  EXPECT_EQ(KilobyteLabel(3ull << 40), u"3,221,225,472KB") << "beyond 32 bits";
}

TEST(DiskCopyProgress, TickShowsPercentAndTimes) {
  DiskCopyJob job;
  job.total = 1000 * 1024;
  DiskCopyTicker ticker(100);
  DiskCopyView view = ticker.Tick(job, 100, false);
  EXPECT_EQ(view.percent, 0);
  EXPECT_FALSE(view.elapsedText.has_value()) << "less than a second passed";
  view = ticker.Tick(job, 101, false);
  EXPECT_EQ(view.elapsedText, u"00:00:01");
  EXPECT_EQ(view.remainingText, u"00:00:00") << "nothing copied yet";

  job.copied = 250 * 1024;
  view = ticker.Tick(job, 105, false);  // four seconds later: still one more update
  EXPECT_EQ(view.elapsedText, u"00:00:02");
  EXPECT_EQ(view.percent, 25);
  EXPECT_EQ(view.copiedText, u"250KB");
  // 750 KiB left at 250 KiB / 3 per second.
  EXPECT_EQ(view.remainingText, u"00:00:09");
  EXPECT_FALSE(view.ended);

  job.stop = 1;
  view = ticker.Tick(job, 105, false);
  EXPECT_TRUE(view.ended);
  EXPECT_EQ(view.remainingText, u"00:00:00");
  EXPECT_FALSE(ticker.Tick(job, 105, true).ended) << "a closing window is left alone";
}

TEST(DiskCopyProgress, EndedCopyWithoutTotalStillOffersClose) {
  DiskCopyJob job;
  job.stop = 1;
  job.finished = 1;
  DiskCopyTicker ticker(0);
  const DiskCopyView view = ticker.Tick(job, 1, false);
  EXPECT_TRUE(view.ended);
  EXPECT_EQ(view.totalText, u"0KB");
  EXPECT_FALSE(view.percent.has_value());
}

}  // namespace
}  // namespace qtr
