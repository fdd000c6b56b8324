// The folders of a copy pass's destinations: those on the way to a file,
// made as needed, and those the walk entered, given their counterparts'
// attributes and times once the pass is done.
#pragma once
#include <string_view>

#include "engine/BackupJob.h"
#include "engine/CopyPassState.h"

namespace qtr {

// Creates the missing folders of a destination file's path; a folder made
// now takes the attributes of its counterpart (the source folder on a
// backup, the stored folder on a restore).
void MakeStoreDirectories(BackupJob& job, CopyPassState& pass, std::u16string_view destination,
                          std::u16string_view counterpart);
// Gives each folder the walk entered (its path and what its listing said)
// its counterpart's attributes and times, creating it when missing: an
// empty folder is kept too. Run after the pass, whose writes move them.
void ApplyFolderInfo(BackupJob& job, CopyPassState& pass, std::u16string_view storeRoot);

}  // namespace qtr
