// The walk over a backup's selected paths: which files take part, in which
// order, with their count and size put on the job before anything is copied.
#pragma once
#include <memory>
#include <string_view>

#include "engine/BackupJob.h"
#include "engine/StoreIndex.h"

namespace qtr {

// Walks one selected path (a drive "C:", a folder or a single file) depth
// first. A selected path that does not exist, cannot be listed or (a single
// file) cannot be opened gives a failure line. The store folder under
// storeRoot is never walked: the store does not back itself up. A folder
// that is a link (junction, symbolic link, mount point) is not walked
// either: it gives a line once. index (the store's, may be null) takes
// part in the changed-only test.
void ScanBackupPath(BackupJob& job, std::u16string_view path, std::u16string_view storeRoot,
                    const StoreIndex* index = nullptr);
// 1 when the file's name ends in one of the type filter's extensions.
int MatchesTypeFilter(const BackupJob& job, std::u16string_view name);
// 1 when a lowercased folder name directly under the system drive is left out.
int IsExcludedSystemFolder(const BackupJob& job, std::u16string_view lowercasedName);
// True when path is storeRoot or lies inside it, whatever the letter case,
// or when path or a folder above it is the store root's own folder under
// another name (same volume and file identity). Asks the volume a few
// times: for selected paths and folders named as the store folder.
bool IsInsideStore(FileSystem& fs, std::u16string_view path, std::u16string_view storeRoot);

// Lists a selected folder or drive ("X:" gets its backslash) for a walk and
// records the folder for its attributes and times; a folder that cannot be
// listed gives a failure line and no listing.
std::unique_ptr<FolderListing> ListSelectedFolder(BackupJob& job, std::u16string_view path, const FindEntry& self);

}  // namespace qtr
