// A stored file renamed by a person through the program (the File
// Management page): the file and what the store index knows of it move
// together. An encrypted file stays bound to the path it was written for;
// the index then holds, under the store key, a rename record naming its
// file id and its new path, which is what lets a restore tell this rename
// from a file moved or swapped by someone without the key.
#pragma once
#include <cstdint>
#include <string_view>

#include "engine/StoreKey.h"
#include "platform/FileSystem.h"

namespace qtr {

// True when path lies below the store's drive folders ("F:\QTRPMB\C\a.txt.qtrx", "F:\QTRPMB\C\Docs").
bool IsStoredFilePath(std::u16string_view path);

// Renames the stored file or folder from to to (both full paths in the
// store at storeRoot); a folder's files below it move with it. An
// encrypted file needs key (kErrorNoStoreKey without it, and
// kErrorNotAuthentic when it does not open under it): its rename record is
// written, flushed, before the file moves, so a cut in between leaves the
// file where its header says it belongs. 0, or the error (the file then
// stays where it was).
uint32_t RenameStoredFile(FileSystem& fs, std::u16string_view storeRoot, const StoreKey* key,
                          std::u16string_view from, std::u16string_view to);

}  // namespace qtr
