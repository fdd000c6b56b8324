// The page container's job and trigger flags: which start is under way,
// whether a job runs, and which page started it. Every trigger looks at
// these before it may begin, so that two jobs never overlap.
#pragma once
#include "config/JobHistory.h"

namespace qtr {

// Who started the job that runs (or is being started) now.
enum class TriggerKind { QuickLaunch = 0, Backup = 1, Scheduled = 2, Restore = 3 };

struct PageBoxState {
  // From the moment a start is accepted until its job ends or the start is abandoned.
  bool busy = false;
  // While a start sequence makes its checks or shows its confirmation.
  bool confirmationShowing = false;
  // From a restore's start until its job ends or the start is abandoned.
  bool restore = false;
  // The hotkey or the enclosure button asked: the confirmation has no countdown.
  bool fromOutside = false;
  // Which of the two asked, for the job's record.
  JobTrigger outsideTrigger = JobTrigger::kHotKey;
  // A job started by the quick launch holds the Quick Activate page's slot.
  bool quickLaunch = false;
  TriggerKind triggerKind = TriggerKind::Backup;

  // A new start may begin.
  bool Idle() const { return !busy && !confirmationShowing && !restore; }
  // The job ended or the start was given up.
  void EndJob() { busy = confirmationShowing = restore = fromOutside = false; }
};

}  // namespace qtr
