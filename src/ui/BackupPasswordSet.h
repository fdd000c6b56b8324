// What OK of the password-setting dialog does when it is opened for the
// backup password rather than for a disk: the two entries must match, the
// password is then kept sealed (BackupPassword), an empty one removes it.
#pragma once
#include <optional>
#include <string>

#include "config/BackupPassword.h"
#include "config/LanguageText.h"

namespace qtr {

struct BackupPasswordSetOutcome {
  std::optional<TextId> message;  // shown in the confirmation window
  TextId title = TextId::Error;
  bool clearNewFields = false;  // empty both entries, focus the first
  bool closeDialog = false;     // close with OK: the password is kept (or removed)
  std::string kept;             // the kept password (UTF-8), when one was kept
};

// required: a backup is about to start and needs a password, so an empty
// entry is refused instead of removing the kept one.
BackupPasswordSetOutcome ApplyBackupPasswordSet(const std::u16string& entry, const std::u16string& again,
                                                bool required, BackupPassword& kept);

}  // namespace qtr
