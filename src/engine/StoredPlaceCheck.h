// Whether a stored file of an encrypted store may be restored from where it
// lies: an encrypted file must be bound to its stored path (or have been
// renamed there through the program) and be the copy the store last
// recorded there; a readable file must be one the store's keyed index
// vouches for. Anyone with the disk and without the key can move, roll
// back or plant files, but none of that reaches the PC.
#pragma once
#include <string_view>

#include "engine/BackupJob.h"
#include "engine/StoreIndex.h"

namespace qtr {

enum class PlaceVerdict {
  kRestore,  // nothing against it here (the restore's own checks still apply)
  kRenamed,  // renamed through the program: restored under its new name, with a line saying so
  kRefused,  // a failure line names stored; nothing is written
};

// stored is open as in (left at its start), of form; entry is the index
// entry that describes it as listed, or nullptr. encryptedStore says the
// store has a key check file or tagged index records.
PlaceVerdict CheckStoredPlace(BackupJob& job, const StoreIndex& index, std::u16string_view stored, File& in,
                              StoredForm form, const StoreIndexEntry* entry, bool encryptedStore);

}  // namespace qtr
