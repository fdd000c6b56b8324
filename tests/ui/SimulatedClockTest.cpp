#include "ui/SimulatedClock.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

TEST(SimulatedClockTest, TheStartGetsItsWeekdayAndTimeRunsAtTheSpeed) {
  const auto setting = ParseSimulatedClock("start = 2026-03-04 09:04:50\nspeed = 10\n");
  ASSERT_TRUE(setting);
  EXPECT_EQ(setting->start.dayOfWeek, 3);  // a Wednesday
  EXPECT_EQ(setting->speed, 10);
  int64_t elapsed = 0;
  SimulatedClock clock(*setting, [&elapsed] { return elapsed; });
  elapsed = 1000;  // ten seconds on
  const LocalTime now = clock.Now();
  EXPECT_EQ(now.hour, 9);
  EXPECT_EQ(now.minute, 5);
  EXPECT_EQ(now.second, 0);
}

TEST(SimulatedClockTest, DaysMonthsAndLeapYearsRollOver) {
  const LocalTime eve{2024, 2, 28, 3, 23, 59, 30};
  const LocalTime leap = AdvanceLocalTime(eve, 30);
  EXPECT_EQ(leap.month, 2);
  EXPECT_EQ(leap.day, 29);
  EXPECT_EQ(leap.dayOfWeek, 4);
  const LocalTime year = AdvanceLocalTime({2026, 12, 31, 4, 23, 59, 59}, 1);
  EXPECT_EQ(year.year, 2027);
  EXPECT_EQ(year.month, 1);
  EXPECT_EQ(year.day, 1);
  EXPECT_EQ(year.dayOfWeek, 5);
  EXPECT_EQ(year.hour, 0);
}

TEST(SimulatedClockTest, ATextWithoutAValidStartIsNoClock) {
  EXPECT_FALSE(ParseSimulatedClock(""));
  EXPECT_FALSE(ParseSimulatedClock("speed = 5\n"));
  EXPECT_FALSE(ParseSimulatedClock("start = 2026-13-01 09:00:00\n"));
  EXPECT_FALSE(ParseSimulatedClock("start = 2026-03-04 25:00:00\n"));
  const auto slow = ParseSimulatedClock("start = 2026-03-04 09:00:00\nspeed = 0\n");
  ASSERT_TRUE(slow);
  EXPECT_EQ(slow->speed, 1);
}

}  // namespace
}  // namespace qtr
