// The walk over a restore's selected stored paths, and the drives a whole-store restore writes to.
#pragma once
#include <string_view>

#include "engine/BackupJob.h"

namespace qtr {

void ScanStoredPath(BackupJob& job, std::u16string_view storedPath);
// Adds "C:\" and the like for every one-letter drive folder of the store.
void AddStoreRootDrives(BackupJob& job, std::u16string_view storeRoot);

}  // namespace qtr
