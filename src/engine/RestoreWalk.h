// The walk over a restore's selected stored paths, and the drives a whole-store restore writes to.
#pragma once
#include <string_view>

#include "engine/BackupJob.h"
#include "engine/StoreIndex.h"

namespace qtr {

// Walks one selected stored path. A selected path that is gone or cannot be
// read gives a failure line. Stored folders that would restore into the
// store itself (a store nested inside the store by an older program) are left out.
// index (the store's, may be null) tells the changed-only test the form and
// source size of the files it has a current entry for.
void ScanStoredPath(BackupJob& job, std::u16string_view storedPath, const StoreIndex* index = nullptr);
// Adds "C:\" and the like for every one-letter drive folder of the store.
void AddStoreRootDrives(BackupJob& job, std::u16string_view storeRoot);

}  // namespace qtr
