// The changed-only test: whether a file's copy on the other side (the
// stored copy on a backup, the restored file on a restore) is already the
// same, so that the job leaves the file out.
#pragma once
#include <string_view>

#include "engine/BackupJob.h"
#include "engine/StoreIndex.h"

namespace qtr {

// The changed-only test of a backup: source (as listed) against its stored
// form at storedPlain (+ ".zip" when compressing, + ".qtrx" when
// encrypting). Never holds for a changed file: same last-write time (2 s on
// FAT-family volumes), same attributes without the compressed bit, same
// size for a plain stored file, and the stored form the compress flag asks
// for. An encrypted copy's authenticated header must record the source's
// size, last-write time and compression; one that does not authenticate
// under the job's key counts as changed.
// With the store's index, the stored copy must also be the one an entry
// describes, not found damaged since, and the file's only stored form.
bool IsUnchanged(BackupJob& job, const FindEntry& source, std::u16string_view sourcePath,
                 std::u16string_view storedPlain, const StoreIndex* index = nullptr);
// The changed-only test of a restore: a stored file against the file it
// restores to. A current entry of index gives the form and the source size;
// without one the file's name and first bytes, and an encrypted file's
// header, do.
bool IsUnchangedOnRestore(BackupJob& job, const FindEntry& stored, std::u16string_view storedPath,
                          const StoreIndex* index = nullptr);

}  // namespace qtr
