// One backup, restore or verify: what it is asked to do, how it is steered,
// the figures it shows, what it leaves behind, and the worker's own lists
// and caches. Each part says who writes and who reads it.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "engine/JobControl.h"
#include "engine/JobCounters.h"
#include "engine/JobGuard.h"
#include "engine/JobResults.h"
#include "engine/JobSettings.h"
#include "engine/VolumeCache.h"
#include "platform/FileSystem.h"

namespace qtr {

// What the walk found, for the copy pass: the worker's own.
struct WalkLists {
  std::vector<std::u16string> fileList;
  // The folders the walk entered, with what their listing said of them
  // (attributes, times): the copy pass gives them to their counterparts.
  std::vector<std::pair<std::u16string, FindEntry>> folderList;
};

struct BackupJob {
  BackupJob(FileSystem& fileSystem, JobReporter& failureList, std::u16string programFolder);
  BackupJob(const BackupJob&) = delete;
  BackupJob& operator=(const BackupJob&) = delete;

  // Reads "WindowsFile", "DocAndSetFiles" and "ProgramFiles" from init.xml.
  void LoadIncludeFlags();

  FileSystem& fs;
  const std::u16string programFolder;  // with its trailing "\"
  JobSettings settings;
  JobControl control;
  JobGuard guard;  // a backup's
  JobCounters counters;
  JobResults results;
  WalkLists walk;
  VolumeCache volumes;
};

}  // namespace qtr
