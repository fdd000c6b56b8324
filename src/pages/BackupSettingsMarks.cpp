#include "pages/BackupSettingsMarks.h"

namespace qtr {

int CompletionChoice(const std::optional<std::u16string>& backupFinish) {
  if (!backupFinish) return 0;
  if (*backupFinish == u"0") return 0;
  if (*backupFinish == u"1") return 1;
  if (*backupFinish == u"2") return 2;
  return 3;
}

bool ChangedFilesChosen(const std::optional<std::u16string>& backupStatus) {
  return backupStatus && *backupStatus != u"0";
}

}  // namespace qtr
