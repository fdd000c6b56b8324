#include "engine/CopyPass.h"

#include <memory>

#include "engine/StoreLayout.h"
#include "engine/StoredFileCopy.h"

namespace qtr {
namespace {

// Opens path to learn its size; false (with a failure line) when it cannot be read.
bool TakeSize(BackupJob& job, const std::u16string& path) {
  std::unique_ptr<File> file;
  if (const uint32_t error = job.fs.Open(path, OpenMode::kReadExisting, &file); error != 0) {
    job.AddFailure(path, error);
    return false;
  }
  uint64_t size = 0;
  file->Size(&size);
  job.currentSize = size;
  return true;
}

}  // namespace

void CopyPassBackup(BackupJob& job, std::u16string_view storeRoot) {
  for (const std::u16string& source : job.fileList) {
    if (!job.WaitUnlessStopped()) break;
    const std::u16string destination = MapToStored(storeRoot, source);
    if (!TakeSize(job, source)) continue;
    MakeStoreDirectories(job, destination, source);
    PrepareDestination(job, destination, source);
    BackupOneFile(job, source, destination);
  }
  job.workerFinished = 1;
}

void CopyPassRestore(BackupJob& job) {
  for (const std::u16string& stored : job.fileList) {
    if (job.stop != 0) break;
    std::u16string destination = MapToSource(stored);
    if (destination.empty()) continue;
    if (!TakeSize(job, stored)) continue;
    MakeStoreDirectories(job, destination, {});
    if (!PrepareRestoreDestination(job, &destination, stored)) continue;
    RestoreOneFile(job, stored, destination);
    if (job.stop != 0) break;
  }
  job.workerFinished = 1;
}

}  // namespace qtr
