// The file operations the copy pass and its helpers make in the store (and
// on a restore's destinations) that a plain call would not: removing or
// replacing a file whose attributes stand in the way.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace qtr {

// Takes away whatever attributes stand in the way of replacing or deleting
// path and deletes it; puts them back when it cannot be deleted. 0 when
// path is gone (or was never there), else the error of the removal.
uint32_t RemoveFileAnyway(FileSystem& fs, std::u16string_view path);
// Puts a complete partial copy, still open, in place of destination; the
// old file is replaced in one step, so one of the two is whole at any moment.
uint32_t PutInPlace(FileSystem& fs, File& partial, std::u16string_view destination);
// Opens the file at path and flushes it, its read-only attribute taken off
// for the moment: on a volume without a journal that is what carries the
// file's own entry (its name after a rename) to the disk. 0 or the error.
uint32_t FlushByName(FileSystem& fs, std::u16string_view path);
// Every file below folder, and the folders from the deepest up to folder
// itself, so that removing them in that order empties it. A link to a
// folder is listed as a folder and never entered: removing it removes the
// link, not what it points to.
void ListTree(FileSystem& fs, const std::u16string& folder, std::vector<std::u16string>* files,
              std::vector<std::u16string>* folders);

}  // namespace qtr
