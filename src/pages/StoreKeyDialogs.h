// The key of a target's store before a job starts, asked through the
// program's windows: the one call the backup, restore and verify starts make.
#pragma once
#include <windows.h>

#include <string_view>

#include "pages/StoreKeyPrompt.h"
#include "platform/FileSystem.h"
#include "shell/Prompter.h"

namespace qtr {

// StoreKeyPrompt's questions as the set-password dialog, the store-password
// dialog and the confirmation window, over owner.
class DialogStorePasswordAsker final : public StorePasswordAsker {
 public:
  DialogStorePasswordAsker(HWND owner, Prompter& prompter, BackupPassword& kept);
  std::optional<std::string> AskNewBackupPassword() override;
  bool AskStorePassword(const std::function<PasswordTry(std::string_view)>& tryPassword) override;
  void Tell(TextId message) override;

 private:
  HWND owner_;
  Prompter& prompter_;
  BackupPassword& kept_;
};

enum class StoreKeyUse {
  kEncryptedBackup,  // a backup with "SetPassword" "1": the store gets a key check file when it has none
  kRead,             // a restore or a verify: a key only when the store has a key check file
};

// The key for a job on the store of target ("F:"), with the backup password
// kept in programFolder. Proceeds() false: no job (cancelled, or told why).
StoreKeyOutcome AskStoreKey(HWND owner, Prompter& prompter, FileSystem& fs, std::u16string_view programFolder,
                            std::u16string_view target, StoreKeyUse use);

}  // namespace qtr
