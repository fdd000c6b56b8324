#include "engine/CopyPass.h"

#include <memory>

#include "engine/StoreLayout.h"
#include "engine/StoredFileCopy.h"

namespace qtr {
namespace {

// Looks the file up for its size; false (with a failure line) when it is gone.
// Whether it can be read is learnt when it is opened for the copy.
bool TakeSize(BackupJob& job, const std::u16string& path) {
  FindEntry entry;
  if (const uint32_t error = job.fs.Find(path, &entry); error != 0) {
    job.AddFailure(path, error);
    return false;
  }
  job.currentSize = entry.size;
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
