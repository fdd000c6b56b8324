// A volume of the FAT family replaces a file in two directory updates: a
// power cut between them leaves the destination gone while its complete
// copy still waits in the store's partial folder. Such a copy is flushed and
// announced in the index before it is renamed, so the index tells where it
// belongs: it is put there, never deleted with the other leftovers.
#pragma once
#include <cstddef>
#include <functional>
#include <string_view>

#include "engine/StoreIndex.h"
#include "platform/FileSystem.h"

namespace qtr {

// Puts in place each file of storeRoot's partial folder that an announced
// entry of index describes (its size and time) and whose stored file is
// missing, and makes the rename durable; the number put in place. plain
// (when given) tells whether a folder of the store may be written through:
// nothing is renamed out of or into a folder it refuses.
size_t PutInterruptedCopiesInPlace(FileSystem& fs, std::u16string_view storeRoot, const StoreIndex& index,
                                   const std::function<bool(std::u16string_view folder)>& plain = {});

}  // namespace qtr
