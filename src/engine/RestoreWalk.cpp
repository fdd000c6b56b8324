#include "engine/RestoreWalk.h"

#include <memory>

#include "engine/ChangedOnly.h"
#include "engine/SourceWalk.h"
#include "engine/StoreFolderCheck.h"
#include "engine/StoreIndex.h"
#include "engine/StoreLayout.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

bool RestoresIntoStore(BackupJob& job, std::u16string_view stored) {
  const std::u16string destination = MapToSource(stored);
  return !destination.empty() && IsInsideStore(job.fs, destination, StoreRootOf(job.settings.targetRoot));
}

void AddStoredFile(BackupJob& job, std::u16string path, uint64_t size) {
  job.counters.totalBytes += size;
  ++job.counters.scannedCount;
  job.walk.fileList.push_back(std::move(path));
}

bool IsUpToDate(BackupJob& job, const FindEntry& entry, std::u16string_view path, const StoreIndex* index) {
  if (job.settings.changedOnly == 0 || !IsUnchangedOnRestore(job, entry, path, index)) return false;
  ++job.counters.upToDateCount;
  return true;
}

void WalkStoredFolder(BackupJob& job, std::u16string_view path, FolderListing& listing, const StoreIndex* index) {
  FindEntry entry;
  while (listing.Next(&entry)) {
    if (job.control.stop != 0) return;
    std::u16string child = JoinPath(path, entry.name);
    if (entry.IsFolder()) {
      if (path.size() < 3 && (entry.name == u"System Volume Information" || entry.name == u"RECYCLER"))
        continue;
      if (path.size() < 4 && entry.name != kStoreFolder) continue;
      if (IsPartialFolder(child) || IsIndexFolder(child)) continue;
      // At the store root only the one-letter drive folders hold stored files.
      if (IsStoreRoot(path) && entry.name.size() != 1) continue;
      if (entry.IsLink()) {
        job.results.AddFailure(child, kErrorLinkNotFollowed);
        continue;
      }
      if (Lowercase(entry.name) == Lowercase(kStoreFolder) && RestoresIntoStore(job, child)) continue;
      std::unique_ptr<FolderListing> inner;
      if (job.fs.List(child, &inner) != 0) continue;
      job.walk.folderList.emplace_back(child, entry);
      WalkStoredFolder(job, child, *inner, index);
      continue;
    }
    if (IsInStoreRoot(child) || IsUpToDate(job, entry, child, index)) continue;
    AddStoredFile(job, std::move(child), entry.size);
  }
}

}  // namespace

void ScanStoredPath(BackupJob& job, std::u16string_view path, const StoreIndex* index) {
  if (RestoresIntoStore(job, path) || IsPartialFolder(path) || IsIndexFolder(path)) return;
  // Nothing is read through a link between the store root and the path.
  StoreFolderCheck links(job, StoreRootOf(job.settings.targetRoot));
  if (!links.Plain(ParentOf(path))) return;
  FindEntry self;
  if (path.size() > 3) {
    if (const uint32_t error = job.fs.Find(path, &self); error != 0) {
      job.results.AddFailure(path, error);
      return;
    }
    if (self.IsFolder() && !links.Plain(path)) return;
    if (!self.IsFolder()) {
      if (IsInStoreRoot(path)) return;
      if (IsUpToDate(job, self, path, index)) return;
      std::unique_ptr<File> file;
      uint64_t size = 0;
      uint32_t error = job.fs.Open(path, OpenMode::kReadExisting, &file);
      if (error == 0) error = file->Size(&size);
      if (error != 0) {
        job.results.AddFailure(path, error);
        return;
      }
      AddStoredFile(job, std::u16string(path), size);
      return;
    }
  }
  const std::unique_ptr<FolderListing> listing = ListSelectedFolder(job, path, self);
  if (listing) WalkStoredFolder(job, path, *listing, index);
}

void AddStoreRootDrives(BackupJob& job, std::u16string_view storeRoot) {
  std::unique_ptr<FolderListing> listing;
  if (job.fs.List(storeRoot, &listing) != 0) return;
  FindEntry entry;
  while (listing->Next(&entry))
    if (entry.IsFolder() && entry.name.size() == 1) job.results.restoreRoots.push_back(entry.name + u":\\");
}

}  // namespace qtr
