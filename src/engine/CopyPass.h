// The copy passes that follow the walks: every file on the job's list into
// the store, or out of it to where it came from.
#pragma once
#include <string_view>

#include "engine/BackupJob.h"
#include "engine/StoreIndex.h"

namespace qtr {

// index is the store's, loaded before the walk (a damaged piece is passed
// over: the pieces this pass adds supersede it); it outlives the pass.
void CopyPassBackup(BackupJob& job, std::u16string_view storeRoot, StoreIndex& index);
void CopyPassRestore(BackupJob& job);

}  // namespace qtr
