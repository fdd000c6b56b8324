#include <gtest/gtest.h>

#include "pages/TimeFields.h"

namespace qtr {
namespace {

TEST(TimeFieldsTest, FieldsAreClampedToTheirRange) {
  EXPECT_EQ(ClampedFieldText(u"75", kMaxMinute), u"59");
  EXPECT_EQ(ClampedFieldText(u"24", kMaxHour), u"23");
  EXPECT_EQ(ClampedFieldText(u"99999999999999", kMaxMinute), u"59");
  EXPECT_EQ(ClampedFieldText(u"4x", kMaxHour), u"4");
  EXPECT_EQ(ClampedFieldText(u"59", kMaxMinute), std::nullopt);
  EXPECT_EQ(ClampedFieldText(u"05", kMaxMinute), std::nullopt);
  EXPECT_EQ(ClampedFieldText(u"", kMaxMinute), std::nullopt);

  EXPECT_EQ(TimeFieldValue(u"", kMaxMinute), 0);
  EXPECT_EQ(TimeFieldValue(u"75", kMaxMinute), 59);
  EXPECT_EQ(TimeFieldValue(u"07", kMaxHour), 7);
}

TEST(TimeFieldsTest, TimingIsReadAndWrittenAsHoursAndMinutes) {
  const TimeOfDay nine = ParseTiming(u"09:05");
  EXPECT_EQ(nine.hour, 9);
  EXPECT_EQ(nine.minute, 5);
  const TimeOfDay damaged = ParseTiming(u"31:77");
  EXPECT_EQ(damaged.hour, 23);
  EXPECT_EQ(damaged.minute, 59);
  const TimeOfDay empty = ParseTiming(u"");
  EXPECT_EQ(empty.hour, 0);
  EXPECT_EQ(empty.minute, 0);

  EXPECT_EQ(FormatTiming({9, 5}), u"09:05");
  EXPECT_EQ(FormatTiming({23, 59}), u"23:59");
  EXPECT_EQ(FormatTiming({0, 0}), u"00:00");
}

}  // namespace
}  // namespace qtr
