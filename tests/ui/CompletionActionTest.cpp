#include "ui/CompletionAction.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

TEST(CompletionActionTest, BackupFromTheFileBackupPage) {
  CompletionPlan stay = PlanCompletion(JobEnd::Backup, u"0");
  EXPECT_TRUE(stay.showBackUpPage);
  EXPECT_FALSE(stay.switchToQuick);
  EXPECT_EQ(stay.power, PowerRequest::None);

  CompletionPlan quick = PlanCompletion(JobEnd::Backup, u"1");
  EXPECT_TRUE(quick.switchToQuick);
  EXPECT_EQ(quick.power, PowerRequest::None);

  CompletionPlan off = PlanCompletion(JobEnd::Backup, u"2");
  EXPECT_TRUE(off.showBackUpPage);
  EXPECT_EQ(off.power, PowerRequest::PowerOff);
  EXPECT_EQ(off.reason, 4u);

  CompletionPlan restart = PlanCompletion(JobEnd::Backup, u"3");
  EXPECT_EQ(restart.power, PowerRequest::Restart);

  for (const auto& other : {std::optional<std::u16string>(u"4"), std::optional<std::u16string>(u" 2"),
                            std::optional<std::u16string>()}) {
    const CompletionPlan none = PlanCompletion(JobEnd::Backup, other);
    EXPECT_FALSE(none.showBackUpPage);
    EXPECT_FALSE(none.switchToQuick);
    EXPECT_EQ(none.power, PowerRequest::None);
  }
}

TEST(CompletionActionTest, QuickLaunchStaysOnItsPageOrPowersOff) {
  EXPECT_FALSE(PlanCompletion(JobEnd::QuickLaunch, u"0").showBackUpPage);
  EXPECT_TRUE(PlanCompletion(JobEnd::QuickLaunch, u"1").switchToQuick);
  const CompletionPlan off = PlanCompletion(JobEnd::QuickLaunch, u"2");
  EXPECT_EQ(off.power, PowerRequest::PowerOff);
  EXPECT_EQ(off.reason, 0u);
  EXPECT_EQ(PlanCompletion(JobEnd::QuickLaunch, u"3").power, PowerRequest::Restart);
}

TEST(CompletionActionTest, RestoreNeverPowersOff) {
  for (const char16_t* finish : {u"0", u"1", u"2", u"3"}) {
    const CompletionPlan plan = PlanCompletion(JobEnd::Restore, std::u16string(finish));
    EXPECT_EQ(plan.power, PowerRequest::None);
    EXPECT_TRUE(plan.showBackUpPage);
    EXPECT_FALSE(plan.switchToQuick);
  }
}

}  // namespace
}  // namespace qtr
