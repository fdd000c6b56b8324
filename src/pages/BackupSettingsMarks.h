// Which radio buttons of the backup-settings page are marked for the stored
// "BackupFinish" and "BackupStatus" values.
#pragma once
#include <optional>
#include <string>

namespace qtr {

// 0 show information, 1 back to the main interface, 2 shut down, 3 reboot:
// "0" to "2" mark their own button, any other text the fourth. A key that is
// not there at all (the page could not insert it) marks the first.
int CompletionChoice(const std::optional<std::u16string>& backupFinish);

// "0" marks "Backup all files", any other text "Backup/restore modified files".
bool ChangedFilesChosen(const std::optional<std::u16string>& backupStatus);

}  // namespace qtr
