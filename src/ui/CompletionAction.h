// What follows the Close of a finished job's progress window: the page the
// container shows and, after a backup, the power request that the setting
// "BackupFinish" asks for ("0" stay, "1" Quick Activate, "2" power off,
// "3" restart). A restore never powers anything off.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace qtr {

enum class JobEnd { Restore, Backup, QuickLaunch };
enum class PowerRequest { None, PowerOff, Restart };

struct CompletionPlan {
  bool showBackUpPage = false;  // show the File Backup page again when its slot is current
  bool switchToQuick = false;   // go to the Quick Activate page
  PowerRequest power = PowerRequest::None;
  uint32_t reason = 0;  // handed to the system with the power request
};

// backupFinish: the setting's text, nothing when absent.
CompletionPlan PlanCompletion(JobEnd end, const std::optional<std::u16string>& backupFinish);

// The system's power-off and restart, behind a seam so that tests never
// end the machine they run on.
class PowerControl {
 public:
  virtual ~PowerControl() = default;
  // Enables the process's shutdown privilege; false when it could not.
  virtual bool EnableShutdownPrivilege() = 0;
  // Asks the system to power off or restart; false when it refused.
  virtual bool Request(PowerRequest request, uint32_t reason) = 0;
};

PowerControl& SystemPowerControl();

}  // namespace qtr
