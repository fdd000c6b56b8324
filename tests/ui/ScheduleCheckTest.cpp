#include "ui/ScheduleCheck.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

XmlDocument Settings(const char* days) {
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadBytes(std::string("<Setting>") + days + "</Setting>"));
  return doc;
}

LocalTime At(int day, int dayOfWeek, int hour, int minute, int second = 0) {
  return {2026, 3, day, dayOfWeek, hour, minute, second};
}

TEST(ScheduleCheckTest, ADayFiresOnceAtTheFirstTickOfItsMinute) {
  XmlDocument doc = Settings("<Wednesday IsSet=\"1\" Timing=\"09:05\"/>");
  ScheduleDueCheck check;
  EXPECT_FALSE(check.Due(At(4, 3, 9, 4, 59), doc));
  EXPECT_TRUE(check.Due(At(4, 3, 9, 5, 0), doc));
  EXPECT_TRUE(check.FiredOnce());
  EXPECT_EQ(check.LastChecked(), u"2026-3-4 9:5");
  for (int second = 0; second < 60; ++second) EXPECT_FALSE(check.Due(At(4, 3, 9, 5, second), doc));
  EXPECT_FALSE(check.Due(At(4, 3, 9, 6), doc));
  // A week later the stamp differs: it fires again.
  EXPECT_TRUE(check.Due(At(11, 3, 9, 5), doc));
}

TEST(ScheduleCheckTest, TheLastMinuteOfTheDayDoesNotSpillIntoTheNext) {
  XmlDocument doc = Settings("<Wednesday IsSet=\"1\" Timing=\"23:59\"/>");
  ScheduleDueCheck check;
  EXPECT_TRUE(check.Due(At(4, 3, 23, 59, 30), doc));
  EXPECT_FALSE(check.Due(At(4, 3, 23, 59, 59), doc));
  EXPECT_FALSE(check.Due(At(5, 4, 0, 0), doc));
}

TEST(ScheduleCheckTest, DaysNotSetOrMissingOrMisformedNeverFire) {
  XmlDocument doc = Settings(
      "<Monday IsSet=\"0\" Timing=\"09:05\"/><Tuesday IsSet=\"yes\" Timing=\"09:05\"/>"
      "<Thursday IsSet=\"1\" Timing=\"9:05\"/>");
  ScheduleDueCheck check;
  EXPECT_FALSE(check.Due(At(2, 1, 9, 5), doc));
  EXPECT_FALSE(check.Due(At(3, 2, 9, 5), doc));
  EXPECT_FALSE(check.Due(At(4, 3, 9, 5), doc));  // no Wednesday element
  EXPECT_FALSE(check.Due(At(5, 4, 9, 5), doc));
  EXPECT_FALSE(check.FiredOnce());
  XmlDocument empty;
  EXPECT_FALSE(check.Due(At(4, 3, 9, 5), empty));
}

TEST(ScheduleCheckTest, TimesAndDayNames) {
  EXPECT_EQ(FormatScheduleTime(9, 5), u"09:05");
  EXPECT_EQ(FormatScheduleTime(23, 59), u"23:59");
  EXPECT_EQ(WeekdayElementName(0), u"Sunday");
  EXPECT_EQ(WeekdayElementName(6), u"Saturday");
  EXPECT_EQ(WeekdayElementName(7), u"");
}

}  // namespace
}  // namespace qtr
