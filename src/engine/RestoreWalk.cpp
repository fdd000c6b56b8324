#include "engine/RestoreWalk.h"

#include <memory>

#include "engine/StoreLayout.h"
#include "engine/StoredFileCopy.h"

namespace qtr {

void ScanStoredPath(BackupJob& job, std::u16string_view path) {
  FindEntry self;
  const bool isFolder = path.size() <= 3 || (job.fs.Find(path, &self) == 0 && self.IsFolder());
  if (!isFolder) {
    if (job.fs.Find(path, &self) != 0 || IsPartialName(self.name)) return;
    if (job.changedOnly != 0 && IsUnchangedOnRestore(job, self, path)) return;
    std::unique_ptr<File> file;
    if (job.fs.Open(path, OpenMode::kReadExisting, &file) != 0) return;
    uint64_t size = 0;
    if (file->Size(&size) != 0) return;
    job.totalBytes += size;
    ++job.scannedCount;
    job.fileList.emplace_back(path);
    return;
  }
  std::unique_ptr<FolderListing> listing;
  if (job.fs.List(path.size() < 3 ? std::u16string(path) + u"\\" : std::u16string(path), &listing) != 0) return;
  FindEntry entry;
  while (listing->Next(&entry)) {
    if (job.stop != 0) {
      job.workerFinished = 1;
      return;
    }
    const std::u16string child = JoinPath(path, entry.name);
    if (entry.IsFolder()) {
      if (path.size() < 3 && (entry.name == u"System Volume Information" || entry.name == u"RECYCLER")) continue;
      if (path.size() < 4 && entry.name != kStoreFolder) continue;
      ScanStoredPath(job, child);
      continue;
    }
    if (IsPartialName(entry.name)) continue;
    if (job.changedOnly != 0 && IsUnchangedOnRestore(job, entry, child)) continue;
    job.totalBytes += entry.size;
    ++job.scannedCount;
    job.fileList.push_back(child);
  }
}

void AddStoreRootDrives(BackupJob& job, std::u16string_view storeRoot) {
  std::unique_ptr<FolderListing> listing;
  if (job.fs.List(storeRoot, &listing) != 0) return;
  FindEntry entry;
  while (listing->Next(&entry))
    if (entry.IsFolder() && entry.name.size() == 1) job.restoreRoots.push_back(entry.name + u":\\");
}

}  // namespace qtr
