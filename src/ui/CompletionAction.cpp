#include "ui/CompletionAction.h"

namespace qtr {

CompletionPlan PlanCompletion(JobEnd end, const std::optional<std::u16string>& backupFinish) {
  CompletionPlan plan;
  if (end == JobEnd::Restore) {
    plan.showBackUpPage = true;
    return plan;
  }
  const std::u16string finish = backupFinish.value_or(u"");
  const bool fromBackUpPage = end == JobEnd::Backup;
  // After a backup of the File Backup page the system is asked with reason 4, after the quick launch with 0.
  const uint32_t reason = fromBackUpPage ? 4 : 0;
  if (finish == u"0" || finish == u"2" || finish == u"3") plan.showBackUpPage = fromBackUpPage;
  if (finish == u"1") plan.switchToQuick = true;
  if (finish == u"2") plan.power = PowerRequest::PowerOff;
  if (finish == u"3") plan.power = PowerRequest::Restart;
  if (plan.power != PowerRequest::None) plan.reason = reason;
  return plan;
}

}  // namespace qtr
