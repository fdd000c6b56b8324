// The worker of a backup or restore: reads the settings and the selection,
// walks, then runs the copy pass, and sets the stop flag as its last step.
#pragma once
#include "engine/BackupJob.h"

namespace qtr {

void RunJob(BackupJob& job);

}  // namespace qtr
