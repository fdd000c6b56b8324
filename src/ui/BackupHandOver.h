// What a backup start does to the program folder and the target before its
// job runs: the start time goes into the backup record, and the store
// folder on the target is hidden or shown as "HideBackupFiles" says.
#pragma once
#include <string>

#include "platform/FileSystem.h"
#include "ui/LocalTime.h"
#include "xml/XmlDocument.h"

namespace qtr {

// Writes now as the last backup time of backupinfo.xml in programFolder.
bool RecordBackupStart(const std::u16string& programFolder, const LocalTime& now);

// The store's visibility as settings say, the way qtrpack sets it too (see
// ApplyStoreVisibility of JobOptions.h).
uint32_t ApplyStoreVisibility(FileSystem& fs, XmlDocument& settings, const std::u16string& target);

}  // namespace qtr
