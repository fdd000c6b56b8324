#include "pages/ReminderDays.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

TEST(ReminderDaysTest, AbsentOrUnreadableValueMeansAWeekAndZeroMeansNever) {
  EXPECT_EQ(ReminderDaysFrom(std::nullopt), 7);
  EXPECT_EQ(ReminderDaysFrom(u""), 7);
  EXPECT_EQ(ReminderDaysFrom(u"0"), 0);
  EXPECT_EQ(ReminderDaysFrom(u"14"), 14);
  EXPECT_EQ(ReminderDaysFrom(u"9999"), 9999);
  for (std::u16string_view bad : {u"-3", u"7 ", u"1x", u"10000", u"99999999999"})
    EXPECT_EQ(ReminderDaysFrom(std::u16string(bad)), 7) << std::string(bad.begin(), bad.end());
}

TEST(ReminderDaysTest, ChoicesEndWithNeverAndKeepAnUnusualNumberInItsPlace) {
  EXPECT_EQ(ReminderChoices(7), (std::vector<int>{1, 2, 3, 7, 14, 30, 0}));
  EXPECT_EQ(ReminderChoices(0), (std::vector<int>{1, 2, 3, 7, 14, 30, 0}));
  EXPECT_EQ(ReminderChoices(10), (std::vector<int>{1, 2, 3, 7, 10, 14, 30, 0}));
  EXPECT_EQ(ReminderChoices(90), (std::vector<int>{1, 2, 3, 7, 14, 30, 90, 0}));
  const LanguageTable none;
  EXPECT_EQ(ReminderChoiceText(1, none), u"1 day");
  EXPECT_EQ(ReminderChoiceText(14, none), u"14 days");
  EXPECT_EQ(ReminderChoiceText(0, none), u"Never");
}

}  // namespace
}  // namespace qtr
