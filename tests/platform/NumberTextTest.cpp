#include "platform/NumberText.h"

#include <gtest/gtest.h>

#include <limits>

namespace qtr {
namespace {

TEST(NumberText, WritesDigitsPaddedToAWidth) {
  EXPECT_EQ(DigitsOf(0), u"0");
  EXPECT_EQ(DigitsOf(1234567890), u"1234567890");
  EXPECT_EQ(DigitsOf(std::numeric_limits<uint64_t>::max()), u"18446744073709551615");
  EXPECT_EQ(DigitsOf(7, 2), u"07");
  EXPECT_EQ(DigitsOf(0, 10), u"0000000000");
  EXPECT_EQ(DigitsOf(123, 2), u"123");  // a width only pads
}

TEST(NumberText, SignedValuesPadAfterTheSign) {
  EXPECT_EQ(DecimalText(-5), u"-5");
  EXPECT_EQ(DecimalText(-5, 2), u"-05");
  EXPECT_EQ(DecimalText(2026, 2), u"2026");
  EXPECT_EQ(DecimalText(std::numeric_limits<int64_t>::min()), u"-9223372036854775808");
  EXPECT_EQ(DecimalText(std::numeric_limits<int64_t>::max()), u"9223372036854775807");
}

}  // namespace
}  // namespace qtr
