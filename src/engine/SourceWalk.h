// The walk over a backup's selected paths: which files take part, in which
// order, with their count and size put on the job before anything is copied.
#pragma once
#include <string_view>

#include "engine/BackupJob.h"

namespace qtr {

// Walks one selected path (a drive "C:", a folder or a single file) depth first.
void ScanBackupPath(BackupJob& job, std::u16string_view path, std::u16string_view storeRoot);
// 1 when the file's extension is one of the type filter's entries.
int MatchesTypeFilter(const BackupJob& job, std::u16string_view name);
// 1 when a lowercased folder name directly under the system drive is left out.
int IsExcludedSystemFolder(const BackupJob& job, std::u16string_view lowercasedName);

}  // namespace qtr
