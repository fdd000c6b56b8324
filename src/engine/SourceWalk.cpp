#include "engine/SourceWalk.h"

#include <memory>

#include "engine/StoreLayout.h"
#include "engine/StoredFileCopy.h"

namespace qtr {
namespace {

void AddFile(BackupJob& job, std::u16string path, uint64_t size) {
  job.totalBytes += size;
  job.fileList.push_back(std::move(path));
  ++job.scannedCount;
}

void ScanSingleFile(BackupJob& job, std::u16string_view path, std::u16string_view storeRoot) {
  if (!job.typeFilter.empty() && MatchesTypeFilter(job, path) == 0) return;
  FindEntry entry;
  if (job.fs.Find(path, &entry) != 0) return;
  if (IsPartialName(entry.name)) return;
  if (job.changedOnly != 0 && IsUnchanged(job, entry, path, MapToStored(storeRoot, path))) return;
  // Opened for reading only: a read-only file selected on its own takes part like any other.
  std::unique_ptr<File> file;
  if (job.fs.Open(path, OpenMode::kReadExisting, &file) != 0) return;
  uint64_t size = 0;
  if (file->Size(&size) != 0) return;
  AddFile(job, std::u16string(path), size);
}

}  // namespace

int MatchesTypeFilter(const BackupJob& job, std::u16string_view name) {
  const size_t dot = name.rfind(u'.');
  if (dot == std::u16string_view::npos || dot == 0) return 0;
  const std::u16string extension = Lowercase(name.substr(dot + 1));
  const std::u16string filter = Lowercase(job.typeFilter);
  size_t start = 0;
  for (;;) {
    const size_t comma = filter.find(u',', start);
    const std::u16string_view entry = std::u16string_view(filter).substr(start, comma - start);
    if (entry == extension) return 1;
    if (comma == std::u16string::npos) return 0;
    start = comma + 1;
  }
}

int IsExcludedSystemFolder(const BackupJob& job, std::u16string_view name) {
  if (name == u"windows") return job.includeWindows == 0;
  if (name == u"program files") return job.includeProgramFiles == 0;
  if (name == u"documents and settings") return job.includeDocumentsAndSettings == 0;
  return 0;
}

void ScanBackupPath(BackupJob& job, std::u16string_view path, std::u16string_view storeRoot) {
  if (path.size() > 3) {
    FindEntry self;
    if (job.fs.Find(path, &self) != 0 || !self.IsFolder()) {
      ScanSingleFile(job, path, storeRoot);
      return;
    }
  }
  std::unique_ptr<FolderListing> listing;
  if (job.fs.List(path.size() < 3 ? std::u16string(path) + u"\\" : std::u16string(path), &listing) != 0) return;
  const bool atDriveRoot = path.size() <= 3;
  const bool atSystemDrive = path.size() < 3 && path == job.systemDrive;
  FindEntry entry;
  while (listing->Next(&entry)) {
    if (job.stop != 0) {
      job.workerFinished = 1;
      return;
    }
    if (entry.IsFolder()) {
      const std::u16string lower = Lowercase(entry.name);
      if (atDriveRoot && (lower == u"system volume information" || lower == u"recycler")) continue;
      if (atSystemDrive && IsExcludedSystemFolder(job, lower) != 0) continue;
      ScanBackupPath(job, JoinPath(path, entry.name), storeRoot);
      continue;
    }
    if (IsPartialName(entry.name)) continue;
    if (!job.typeFilter.empty() && MatchesTypeFilter(job, entry.name) == 0) continue;
    std::u16string child = JoinPath(path, entry.name);
    if (job.changedOnly != 0 && IsUnchanged(job, entry, child, MapToStored(storeRoot, child))) continue;
    AddFile(job, std::move(child), entry.size);
  }
}

}  // namespace qtr
