// A restore of the store as it stood when a backup job started: every
// stored file the restore's walk listed gives way to the copy the store held
// then, taken from the version folders.
#pragma once
#include <string>
#include <vector>

#include "engine/BackupJob.h"
#include "engine/StoreIndex.h"

namespace qtr {

// Does nothing without job.settings.asOfStamp. Otherwise every current
// stored file of job.walk.fileList ("F:\QTRPMB\C\a.txt") is replaced by its
// copy in the earliest version folder whose stamp is at or after the stamp:
// that job replaced it, so it is what stood when the job started. A later
// folder holds what a later job replaced, which is newer. A version is
// matched to its file by the path without the form suffixes, case-folded,
// since a file may have changed form between jobs. A version in a folder a
// selected stored path covers whose file is not on the list (deleted from
// the store since, or left out by the changed-only test against its
// current copy) is added. With the changed-only test on, a version that
// the restored file already equals is left out. The job's file and byte
// counts follow the list. Files already in a version folder (a version
// folder selected itself) stay as they are.
// False, with a failure line and an empty list, for a stamp that does not
// parse: restoring the current copies would not be what was asked for.
bool TakeStoreAsOf(BackupJob& job, const std::u16string& storeRoot, const std::vector<std::u16string>& selected,
                   const StoreIndex& index);

}  // namespace qtr
