#include "pages/VersionDays.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

TEST(VersionDaysTest, ChoicesStartWithNoneAndKeepAnUnusualNumberInItsPlace) {
  const std::vector<int> usual = {0, 1, 3, 7, 14, 30, 60, 90, 180, 365};
  EXPECT_EQ(VersionDayChoices(30), usual);
  EXPECT_EQ(VersionDayChoices(0), usual);
  EXPECT_EQ(VersionDayChoices(10), (std::vector<int>{0, 1, 3, 7, 10, 14, 30, 60, 90, 180, 365}));
  EXPECT_EQ(VersionDayChoices(3650), (std::vector<int>{0, 1, 3, 7, 14, 30, 60, 90, 180, 365, 3650}));
  const LanguageTable none;
  EXPECT_EQ(VersionDayChoiceText(0, none), u"Do not keep");
  EXPECT_EQ(VersionDayChoiceText(1, none), u"1 day");
  EXPECT_EQ(VersionDayChoiceText(90, none), u"90 days");
}

}  // namespace
}  // namespace qtr
