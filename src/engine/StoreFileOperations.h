// The file operations the copy pass and its helpers make in the store (and
// on a restore's destinations) that a plain call would not: removing or
// replacing a file whose attributes stand in the way.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/FileSystem.h"

namespace qtr {

// Takes away whatever attributes stand in the way of replacing or deleting
// path and deletes it; puts them back when it cannot be deleted. 0 when
// path is gone (or was never there), else the error of the removal.
uint32_t RemoveFileAnyway(FileSystem& fs, std::u16string_view path);
// Puts a complete partial copy, still open, in place of destination; the
// old file is replaced in one step, so one of the two is whole at any moment.
uint32_t PutInPlace(FileSystem& fs, File& partial, std::u16string_view destination);

}  // namespace qtr
