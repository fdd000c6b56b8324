// Copying one file into the store and back: the copy through a partial
// file renamed into place when complete, its attributes and times.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/BackupJob.h"
#include "engine/CopyPassState.h"

namespace qtr {

// Copy source (opened by the copy pass, with its info) into the store at
// destination (+ ".zip" when compressing, + ".qtrx" when encrypting with the
// job's store key); 1 when the copy is complete, 0
// otherwise. The copy is written to a partial file and put in place with
// the pass's batch, flushed first, so a stored copy it replaces stays until
// the new one is on the disk. The other forms of the file (plain,
// compressed, encrypted, both) go afterwards, unless one is the stored copy
// of another source file.
int BackupOneFile(BackupJob& job, CopyPassState& pass, std::u16string_view source, std::u16string_view destination,
                  std::unique_ptr<File> in, const FindEntry& info);
// The same for restoring stored, of form (ResolveRestoreForm), to
// destination: decrypted with the job's store key and expanded as the form
// says. With entry (the current index entry of stored) the restored bytes
// must have its size and hash before they are put in place: otherwise, or
// when the file does not authenticate, a failure line names stored and the
// destination stays as it was. changedOutside says that entry no longer
// describes stored, which was changed after the program wrote it: it is
// restored only when it decodes whole and, with a container, to the size
// the entry recorded, and either way its line says so. alternative is a
// second entry that describes stored as well (a source changed without a
// new time or size): the bytes may be either's. index (needed with entry)
// holds the hashes against its key where they are keyed.
int RestoreOneFile(BackupJob& job, CopyPassState& pass, std::u16string_view stored,
                   std::u16string_view destination, std::unique_ptr<File> in, const FindEntry& info,
                   StoredForm form, const StoreIndexEntry* entry = nullptr, bool changedOutside = false,
                   const StoreIndexEntry* alternative = nullptr, const StoreIndex* index = nullptr);
// Gives written, a complete copy of copiedFrom still open and not yet in
// place, its per-file compression on a backup (as the compress flag says,
// where the volume has it), then copiedFrom's times and attributes
// together: last, so that a read-only file takes all of them. The error of
// the times and attributes, 0 when they were set.
uint32_t ApplyStoredAttributes(BackupJob& job, const FindEntry& copiedFrom, File& written,
                               std::u16string_view writtenPath);
// Gives the open written file the creation, last-access and last-write
// times of copiedFrom, and those of its attributes a program may set, in
// one step; the error when the volume refuses.
uint32_t CopyFileTimes(const FindEntry& copiedFrom, File& written);
}  // namespace qtr
