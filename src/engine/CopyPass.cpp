#include "engine/CopyPass.h"

#include <memory>

#include "engine/StoreLayout.h"
#include "engine/StoredFileCopy.h"

namespace qtr {
void CopyPassBackup(BackupJob& job, std::u16string_view storeRoot) {
  for (const std::u16string& source : job.fileList) {
    if (!job.WaitUnlessStopped()) break;
    const std::u16string destination = MapToStored(storeRoot, source);
    // Opened once: for its size here, then for the copy.
    std::unique_ptr<File> in;
    FindEntry info;
    if (!OpenSource(job, source, &in, &info)) continue;
    MakeStoreDirectories(job, destination, source);
    PrepareDestination(job, destination, source);
    BackupOneFile(job, source, destination, &in, &info);
  }
  job.workerFinished = 1;
}

void CopyPassRestore(BackupJob& job) {
  for (const std::u16string& stored : job.fileList) {
    if (job.stop != 0) break;
    std::u16string destination = MapToSource(stored);
    if (destination.empty()) continue;
    std::unique_ptr<File> in;
    FindEntry info;
    if (!OpenSource(job, stored, &in, &info)) continue;
    MakeStoreDirectories(job, destination, {});
    if (!PrepareRestoreDestination(job, &destination, stored)) continue;
    RestoreOneFile(job, stored, destination, &in, &info);
    if (job.stop != 0) break;
  }
  job.workerFinished = 1;
}

}  // namespace qtr
