// What a backup start does to the program folder and the target before its
// job runs: the start time goes into the backup record, and the store
// folder on the target is hidden or shown as "HideBackupFiles" says.
#pragma once
#include <string>

#include "config/XmlDocument.h"
#include "platform/FileSystem.h"
#include "shell/LocalTime.h"

namespace qtr {

// Writes now as the last backup time of backupinfo.xml in programFolder.
bool RecordBackupStart(const std::u16string& programFolder, const LocalTime& now);

// With "HideBackupFiles" present in settings, sets the hidden attribute of
// <target>\QTRPMB when it is "1" and clears it otherwise, keeping the other
// attributes. A store that does not exist yet is created first when it is
// to be hidden, so that the first backup is hidden too. Returns the error
// code of the failing call, 0 when nothing had to change or all went well.
uint32_t ApplyStoreVisibility(FileSystem& fs, XmlDocument& settings, const std::u16string& target);

}  // namespace qtr
