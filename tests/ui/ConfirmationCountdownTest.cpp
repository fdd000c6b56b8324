#include "ui/ConfirmationCountdown.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

TEST(ConfirmationCountdown, ConfirmsAfterThirtyTicks) {
  ConfirmationCountdown countdown(true);
  EXPECT_EQ(countdown.Text(), u"30");
  for (int i = 1; i < 30; ++i) {
    const auto tick = countdown.OnTick(false);
    ASSERT_FALSE(tick.closeConfirmed) << "tick " << i;
    EXPECT_TRUE(tick.textChanged);
  }
  EXPECT_EQ(countdown.Text(), u"1");
  EXPECT_TRUE(countdown.OnTick(false).closeConfirmed);
  EXPECT_EQ(countdown.Text(), u"0");
}

TEST(ConfirmationCountdown, WithoutCountdownWaitsForever) {
  ConfirmationCountdown countdown(false);
  for (int i = 0; i < 1000; ++i) ASSERT_FALSE(countdown.OnTick(false).closeConfirmed);
  EXPECT_EQ(countdown.Text(), u"");
}

TEST(ConfirmationCountdown, ClosesConfirmedOnceTheMainWindowIsGone) {
  ConfirmationCountdown quiet(false);
  EXPECT_TRUE(quiet.OnTick(true).closeConfirmed);
  ConfirmationCountdown counting(true);
  counting.OnTick(false);
  EXPECT_TRUE(counting.OnTick(true).closeConfirmed);
}

}  // namespace
}  // namespace qtr
