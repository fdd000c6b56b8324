#include "engine/SourceWalk.h"

#include <memory>

#include "engine/ChangedOnly.h"
#include "engine/StoreLayout.h"
#include "engine/TypeFilter.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

struct Walk {
  BackupJob& job;
  std::u16string_view storeRoot;
  TypeFilter filter;
  const StoreIndex* index;
};

void AddFile(BackupJob& job, std::u16string path, uint64_t size) {
  job.counters.totalBytes += size;
  job.walk.fileList.push_back(std::move(path));
  ++job.counters.scannedCount;
}

bool IsUpToDate(Walk& walk, const FindEntry& entry, std::u16string_view path) {
  if (walk.job.settings.changedOnly == 0 ||
      !IsUnchanged(walk.job, entry, path, MapToStored(walk.storeRoot, path), walk.index))
    return false;
  ++walk.job.counters.upToDateCount;
  return true;
}

void ScanSingleFile(Walk& walk, std::u16string_view path, const FindEntry& entry) {
  BackupJob& job = walk.job;
  if (!walk.filter.Empty() && !walk.filter.Matches(NameOf(path))) return;
  if (IsUpToDate(walk, entry, path)) return;
  // Opened for reading only: a read-only file selected on its own takes part like any other.
  std::unique_ptr<File> file;
  uint64_t size = 0;
  uint32_t error = job.fs.Open(path, OpenMode::kReadExisting, &file);
  if (error == 0) error = file->Size(&size);
  if (error != 0) {
    // The person chose this very file: one that cannot be read is a failure, not an empty selection.
    job.results.AddFailure(path, error);
    return;
  }
  AddFile(job, std::u16string(path), size);
}

// The entries of one folder; subfolders that cannot be listed are left out
// with all they hold, as a drive's walk meets many such folders.
void WalkFolder(Walk& walk, std::u16string_view path, FolderListing& listing) {
  BackupJob& job = walk.job;
  const bool atDriveRoot = path.size() <= 3;
  const bool atSystemDrive = path.size() < 3 && path == job.settings.systemDrive;
  FindEntry entry;
  while (listing.Next(&entry)) {
    if (job.control.stop != 0) return;
    std::u16string child = JoinPath(path, entry.name);
    if (entry.IsFolder()) {
      const std::u16string lower = Lowercase(entry.name);
      if (atDriveRoot && (lower == u"system volume information" || lower == u"recycler")) continue;
      if (atSystemDrive && IsExcludedSystemFolder(job, lower) != 0) continue;
      if ((atDriveRoot || Lowercase(entry.name) == Lowercase(kStoreFolder)) &&
          IsInsideStore(job.fs, child, walk.storeRoot))
        continue;
      if (entry.IsLink()) {
        // Followed, a link to a folder above would walk the same files
        // again at every level, and one into the store would store it.
        job.results.AddFailure(child, kErrorLinkNotFollowed);
        continue;
      }
      std::unique_ptr<FolderListing> inner;
      if (job.fs.List(child, &inner) != 0) continue;
      job.walk.folderList.emplace_back(child, entry);
      WalkFolder(walk, child, *inner);
      continue;
    }
    if (!walk.filter.Empty() && !walk.filter.Matches(entry.name)) continue;
    if (IsUpToDate(walk, entry, child)) continue;
    AddFile(job, std::move(child), entry.size);
  }
}

}  // namespace

int MatchesTypeFilter(const BackupJob& job, std::u16string_view name) {
  return TypeFilter(job.settings.typeFilter).Matches(NameOf(name)) ? 1 : 0;
}

int IsExcludedSystemFolder(const BackupJob& job, std::u16string_view name) {
  if (name == u"windows") return job.settings.includeWindows == 0;
  if (name == u"program files") return job.settings.includeProgramFiles == 0;
  if (name == u"documents and settings") return job.settings.includeDocumentsAndSettings == 0;
  return 0;
}

bool IsInsideStore(FileSystem& fs, std::u16string_view path, std::u16string_view storeRoot) {
  path = WithoutTrailingBackslashes(path);
  if (storeRoot.empty()) return false;
  if (path.size() >= storeRoot.size() && Lowercase(path.substr(0, storeRoot.size())) == Lowercase(storeRoot) &&
      (path.size() == storeRoot.size() || path[storeRoot.size()] == u'\\'))
    return true;
  // The store under another name: a second drive letter for its volume, a
  // link or mount point on the way. The folders of path that exist are
  // asked which folder they are.
  FileIdentity store;
  if (fs.GetIdentity(storeRoot, &store) != 0) return false;
  for (std::u16string folder(path); folder.size() >= 2; folder = ParentOf(folder)) {
    FileIdentity identity;
    if (fs.GetIdentity(folder, &identity) == 0 && identity == store) return true;
    if (folder.size() <= 3) break;
  }
  return false;
}

std::unique_ptr<FolderListing> ListSelectedFolder(BackupJob& job, std::u16string_view path, const FindEntry& self) {
  std::unique_ptr<FolderListing> listing;
  const std::u16string folder = path.size() < 3 ? std::u16string(path) + u"\\" : std::u16string(path);
  if (const uint32_t error = job.fs.List(folder, &listing); error != 0) {
    job.results.AddFailure(path, error);
    return nullptr;
  }
  if (path.size() > 3) job.walk.folderList.emplace_back(path, self);
  return listing;
}

void ScanBackupPath(BackupJob& job, std::u16string_view path, std::u16string_view storeRoot,
                    const StoreIndex* index) {
  Walk walk{job, storeRoot, TypeFilter(job.settings.typeFilter), index};
  if (IsInsideStore(job.fs, path, storeRoot)) return;
  FindEntry self;
  if (path.size() > 3) {
    if (const uint32_t error = job.fs.Find(path, &self); error != 0) {
      job.results.AddFailure(path, error);
      return;
    }
    if (self.IsFolder() && self.IsLink()) {
      job.results.AddFailure(path, kErrorLinkNotFollowed);
      return;
    }
    if (!self.IsFolder()) {
      ScanSingleFile(walk, path, self);
      return;
    }
  }
  const std::unique_ptr<FolderListing> listing = ListSelectedFolder(job, path, self);
  if (listing) WalkFolder(walk, path, *listing);
}

}  // namespace qtr
