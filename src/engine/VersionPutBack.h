// Undoes what one backup did to the stored copies it replaced: each copy
// its version folder keeps goes back to its stored name, over the copy the
// job put there, with its index entry, and the folder goes. Used when the
// guard stopped a backup that looked like an attack.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/StoreKey.h"
#include "platform/FileSystem.h"

namespace qtr {

// The count put back; *failed (may be null) gets "path;Fail(n)..." lines
// of those that stay in the version folder. The entries of the copies put back
// are announced before any moves, so a cut leaves each name described.
size_t PutBackVersions(FileSystem& fs, std::u16string_view storeRoot, std::u16string_view stamp,
                       const StoreKey* key, std::vector<std::u16string>* failed);

}  // namespace qtr
