// Copying one file into the store and back: folders on the way, the copy
// through a partial file renamed into place when complete, its attributes
// and times, and the changed-only test.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/BackupJob.h"

namespace qtr {

// Creates the missing folders of a destination file's path; a folder made
// now takes the attributes of its counterpart (the source folder on a
// backup, the stored folder on a restore).
void MakeStoreDirectories(BackupJob& job, std::u16string_view destination, std::u16string_view counterpart);

// Backup side: removes partial copies a crash left in the destination folder.
void PrepareDestination(BackupJob& job, std::u16string_view destination, std::u16string_view source);
// Restore side: drops ".zip" from destination when stored is a compressed
// container; false (with a failure line) when stored cannot be read.
bool PrepareRestoreDestination(BackupJob& job, std::u16string* destination, std::u16string_view stored);

// 1 when source was stored completely at destination (+ ".zip" when
// compressing), 0 otherwise; a stored file it replaces stays as it was
// until the new one is complete.
// When the copy pass has the source open already, it hands it over with its info.
int BackupOneFile(BackupJob& job, std::u16string_view source, std::u16string_view destination,
                  std::unique_ptr<File>* opened = nullptr, const FindEntry* openedInfo = nullptr);
// 1 when stored was restored completely at destination, 0 otherwise.
int RestoreOneFile(BackupJob& job, std::u16string_view stored, std::u16string_view destination,
                   std::unique_ptr<File>* opened = nullptr, const FindEntry* openedInfo = nullptr);
// Opens a file to copy from and sets the job's current-file size; false
// (with the failure line) when it cannot be read.
bool OpenSource(BackupJob& job, std::u16string_view path, std::unique_ptr<File>* file, FindEntry* info);

// Gives written, a complete copy of copiedFrom still open and not yet in
// place, its per-file compression on a backup (as the compress flag says,
// where the volume has it), then copiedFrom's times and attributes
// together: last, so that a read-only file takes all of them.
void ApplyStoredAttributes(BackupJob& job, const FindEntry& copiedFrom, File& written, std::u16string_view writtenPath);
// Gives the open written file the creation, last-access and last-write
// times of copiedFrom, and its attributes in the same step.
void CopyFileTimes(const FindEntry& copiedFrom, File& written);

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
