// The job's texts: durations, counts and error lines.
#include <gtest/gtest.h>

#include "JobFixture.h"
#include "engine/JobText.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

using test::Narrow;

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

// What the guard found, as its question and the completion say it; a
// finding below its threshold is not said.
TEST(JobTextTest, GuardFindingsInWords) {
  const LanguageTable english;
  EXPECT_EQ(Narrow(GuardFindingsText(english, {12, 20, 0, u""})),
            "Of the 20 files whose stored copies this backup was replacing, 12 now look encrypted, or no longer "
            "look like the kind of file their name says.");
  EXPECT_EQ(Narrow(GuardFindingsText(english, {3, 20, 10, u"locked"})),
            "10 files were renamed to the new extension \".locked\".");
}

}  // namespace
}  // namespace qtr
