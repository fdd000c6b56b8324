// Copying one file into the store and back: folders on the way, the copy
// through a partial file renamed into place when complete, its attributes
// and times, and the changed-only test.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/BackupJob.h"
#include "engine/CopyPassState.h"

namespace qtr {

// Creates the missing folders of a destination file's path; a folder made
// now takes the attributes of its counterpart (the source folder on a
// backup, the stored folder on a restore).
void MakeStoreDirectories(BackupJob& job, CopyPassState& pass, std::u16string_view destination,
                          std::u16string_view counterpart);

// Restore side: the form of stored, open as in with its listing info. With
// a current index entry its form decides, whatever the volume or the file's
// first bytes say; without one, a ".zip" with the container marker (and the
// compressed attribute where the volume has it) is compressed, and a
// ".qtrx" starting "QTRX" is encrypted, with or without a container inside
// as its authenticated header says. False (with a failure line naming
// stored) when it cannot be read, or is encrypted and the job has no key or
// its header does not authenticate under it. in is left at its start.
bool ResolveRestoreForm(BackupJob& job, std::u16string_view stored, File& in, const FindEntry& info,
                        const StoreIndexEntry* entry, StoredForm* form);

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
// Gives each folder the walk entered (its path and what its listing said)
// its counterpart's attributes and times, creating it when missing: an
// empty folder is kept too. Run after the pass, whose writes move them.
void ApplyFolderInfo(BackupJob& job, CopyPassState& pass, std::u16string_view storeRoot);

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
