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

// Restore side: drops ".zip" from destination when stored is a compressed
// container; false (with a failure line) when stored cannot be read.
bool PrepareRestoreDestination(BackupJob& job, std::u16string* destination, std::u16string_view stored);
// The same when the store index has a current entry for stored: its form
// decides, whatever the volume or the file's first bytes say.
bool PrepareRestoreDestination(BackupJob& job, std::u16string* destination, std::u16string_view stored,
                               const StoreIndexEntry* entry);

// Copy source (opened by the copy pass, with its info) into the store at
// destination (+ ".zip" when compressing); 1 when the copy is complete, 0
// otherwise. The copy is written to a partial file and put in place with
// the pass's batch, flushed first, so a stored copy it replaces stays until
// the new one is on the disk. The other form of the file (plain or
// compressed) goes afterwards, unless it is the stored copy of another
// source file.
int BackupOneFile(BackupJob& job, CopyPassState& pass, std::u16string_view source, std::u16string_view destination,
                  std::unique_ptr<File> in, const FindEntry& info);
// The same for restoring stored to destination. With entry (the current
// index entry of stored) its form decides how the file is read, and the
// restored bytes must have its size and hash before they are put in place:
// otherwise a failure line names stored and the destination stays as it was.
int RestoreOneFile(BackupJob& job, CopyPassState& pass, std::u16string_view stored, std::u16string_view destination,
                   std::unique_ptr<File> in, const FindEntry& info, const StoreIndexEntry* entry = nullptr);
// Opens a file to copy from and sets the job's current-file size; false
// (with the failure line) when it cannot be read.
bool OpenSource(BackupJob& job, std::u16string_view path, std::unique_ptr<File>* file, FindEntry* info);

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

// The compressed form of a stored file: a ".zip" name, the container marker,
// and the compressed attribute unless its volume cannot compress files.
// *error is set when the file cannot be read.
bool IsStoredCompressed(BackupJob& job, std::u16string_view stored, uint32_t attributes, uint32_t* error);

// The changed-only test of a backup: source (as listed) against its stored
// form at storedPlain (+ ".zip" when compressing). Never holds for a
// changed file: same last-write time (2 s on FAT-family volumes), same
// attributes without the compressed bit, same size for a plain stored file,
// and the stored form the compress flag asks for.
bool IsUnchanged(BackupJob& job, const FindEntry& source, std::u16string_view sourcePath,
                 std::u16string_view storedPlain);
// The changed-only test of a restore: a stored file against the file it restores to.
bool IsUnchangedOnRestore(BackupJob& job, const FindEntry& stored, std::u16string_view storedPath);

// Hides or shows target's store root as init.xml's "HideBackupFiles" says.
void ApplyStoreRootHiding(FileSystem& fs, std::u16string_view programFolder, std::u16string_view targetDrive);

}  // namespace qtr
