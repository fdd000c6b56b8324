// The copy passes that follow the walks: every file on the job's list into
// the store, or out of it to where it came from.
#pragma once
#include <string_view>

#include "engine/BackupJob.h"

namespace qtr {

void CopyPassBackup(BackupJob& job, std::u16string_view storeRoot);
void CopyPassRestore(BackupJob& job);

}  // namespace qtr
