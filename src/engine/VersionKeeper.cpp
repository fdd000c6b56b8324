#include "engine/VersionKeeper.h"

#include <algorithm>
#include <memory>

#include "engine/StoreFileOperations.h"
#include "engine/StoreLayout.h"
#include "engine/StoreVersions.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

// The stamp of this job's version folder: the one asked for, or now; a
// name taken by an earlier job of the same second gets the next number.
std::u16string FreeStamp(FileSystem& fs, std::u16string_view storeRoot, std::u16string asked) {
  const std::optional<VersionStamp> parsed = ParseVersionStamp(asked);
  VersionStamp stamp = parsed ? *parsed : *ParseVersionStamp(VersionStampNow());
  for (;; ++stamp.number) {
    const std::u16string name = VersionStampText(stamp);
    FindEntry there;
    if (fs.Find(JoinPath(VersionsFolderOf(storeRoot), name), &there) != 0 || stamp.number > 999) return name;
  }
}

}  // namespace

VersionKeeper::VersionKeeper(BackupJob& job, std::u16string storeRoot)
    : job_(job), storeRoot_(std::move(storeRoot)) {
  if (storeRoot_.empty() || job.settings.versionDays <= 0) return;
  stamp_ = FreeStamp(job.fs, storeRoot_, job.settings.versionStamp);
  // The front end reads it once the job ended, to put the job's versions back.
  job.settings.versionStamp = stamp_;
}

std::u16string VersionKeeper::PathFor(std::u16string_view storedPath) const {
  return VersionPathOf(storedPath, stamp_);
}

void VersionKeeper::RemoveExpired(StoreIndex* index, SlimMutex& indexMutex) {
  if (!On()) return;
  const VersionStamp today = *ParseVersionStamp(stamp_);
  for (const std::u16string& stamp : ListVersionStamps(job_.fs, storeRoot_)) {
    if (job_.control.stop != 0) return;
    if (DaysBetween(*ParseVersionStamp(stamp), today) > job_.settings.versionDays)
      RemoveFolder(stamp, index, indexMutex);
  }
}

void VersionKeeper::MakeRoomFor(uint64_t bytes, StoreIndex* index, SlimMutex& indexMutex) {
  if (!removableListed_) {
    removableListed_ = true;
    removable_ = ListVersionStamps(job_.fs, storeRoot_);
    std::erase(removable_, stamp_);
    std::reverse(removable_.begin(), removable_.end());
  }
  if (removable_.empty()) return;
  const uint64_t wanted = bytes + kSpareBytes;
  // Free space is asked again only once the estimate runs short.
  if (freeKnown_ && freeBytes_ >= wanted * 2) {
    freeBytes_ -= bytes;
    return;
  }
  const std::u16string drive = storeRoot_.substr(0, 2) + u"\\";
  while (!removable_.empty() && job_.control.stop == 0) {
    freeKnown_ = job_.fs.FreeSpace(drive, &freeBytes_) == 0;
    if (!freeKnown_ || freeBytes_ >= wanted) break;
    const std::u16string oldest = removable_.front();
    removable_.erase(removable_.begin());
    const std::optional<VersionStamp> made = ParseVersionStamp(oldest);
    if (On() && DaysBetween(*made, *ParseVersionStamp(stamp_)) < 1)
      job_.results.AddNote(JoinPath(VersionsFolderOf(storeRoot_), oldest),
                           job_.settings.notes.versionRemovedForSpace);
    RemoveFolder(oldest, index, indexMutex);
  }
  if (freeKnown_) freeBytes_ = freeBytes_ > bytes ? freeBytes_ - bytes : 0;
}

void VersionKeeper::RemoveFolder(const std::u16string& stamp, StoreIndex* index, SlimMutex& indexMutex) {
  const std::u16string folder = JoinPath(VersionsFolderOf(storeRoot_), stamp);
  if (index != nullptr) {
    const std::u16string prefix = Lowercase(JoinPath(kVersionsFolder, stamp)) + u"\\";
    std::lock_guard lock(indexMutex);
    std::vector<std::u16string> gone;
    index->ForEach([&](const StoreIndexEntry& entry) {
      if (Lowercase(entry.stored).starts_with(prefix)) gone.push_back(entry.stored);
    });
    for (const std::u16string& path : gone) index->Forget(path);
    if (const uint32_t error = index->HasPending() ? index->AppendPending(job_.fs) : 0; error != 0) {
      // Their entries stay: a version whose removal is not recorded stays on the disk.
      job_.results.AddFailure(IndexFolderOf(storeRoot_), error);
      return;
    }
  }
  std::vector<std::u16string> files, folders;
  ListTree(job_.fs, folder, &files, &folders);
  // A version that stays has no entry now: verify calls it unknown, and the line says why.
  for (const std::u16string& file : files)
    if (const uint32_t error = RemoveFileAnyway(job_.fs, file); error != 0)
      job_.results.AddFailure(file, error);
  for (const std::u16string& empty : folders) job_.fs.RemoveFolder(empty);
}

uint32_t VersionKeeper::MakeFolders(std::u16string_view folder) {
  const std::u16string key = Lowercase(folder);
  {
    std::lock_guard lock(foldersMutex_);
    if (foldersMade_.count(key) != 0) return 0;
  }
  const std::u16string versions = VersionsFolderOf(storeRoot_);
  if (Lowercase(folder) != Lowercase(versions)) {
    if (const uint32_t error = MakeFolders(ParentOf(folder)); error != 0) return error;
  }
  uint32_t error = job_.fs.CreateFolder(folder);
  if (error == 0 && Lowercase(folder) == Lowercase(versions))
    job_.fs.SetAttributes(folder, kAttributeHidden | kAttributeSystem);
  if (error == kErrorAlreadyExists) {
    FindEntry there;
    // Nothing is moved through a link: the version folders are the store's own.
    error =
        job_.fs.Find(folder, &there) == 0 && there.IsFolder() && !there.IsLink() ? 0 : kErrorLinkNotFollowed;
  }
  if (error == 0) {
    std::lock_guard lock(foldersMutex_);
    foldersMade_.insert(key);
  }
  return error;
}

uint32_t VersionKeeper::Move(std::u16string_view from, std::u16string_view to) {
  if (const uint32_t error = MakeFolders(ParentOf(to)); error != 0) return error;
  return job_.fs.Rename(from, to);
}

}  // namespace qtr
