#include "engine/BackupJob.h"

#include "engine/JobOptions.h"

namespace qtr {

BackupJob::BackupJob(FileSystem& fileSystem, JobReporter& failureList, std::u16string folder)
    : fs(fileSystem), programFolder(std::move(folder)), results(failureList), volumes(fileSystem) {}

void BackupJob::LoadIncludeFlags() {
  const JobOptions options = ReadJobOptions(fs, programFolder);
  settings.includeWindows = options.includeWindows ? 1 : 0;
  settings.includeDocumentsAndSettings = options.includeDocumentsAndSettings ? 1 : 0;
  settings.includeProgramFiles = options.includeProgramFiles ? 1 : 0;
}

}  // namespace qtr
