#include "ui/BackupHandOver.h"

#include "config/BackupRecord.h"
#include "config/SettingsFile.h"
#include "engine/JobOptions.h"

namespace qtr {

bool RecordBackupStart(const std::u16string& programFolder, const LocalTime& now) {
  return BackupRecord(programFolder)
      .RecordStart({now.year, now.month, now.day, now.hour, now.minute, now.second});
}

uint32_t ApplyStoreVisibility(FileSystem& fs, XmlDocument& settings, const std::u16string& target) {
  return ApplyStoreVisibility(fs, JobOptionsOf(settings), target);
}

}  // namespace qtr
