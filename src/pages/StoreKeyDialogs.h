// The key of a target's store before a job starts, asked through the
// program's windows: the one call the backup, restore and verify starts make.
#pragma once
#include <windows.h>

#include <string_view>

#include "engine/StoreKeyRebuild.h"
#include "platform/FileSystem.h"
#include "ui/Prompter.h"
#include "ui/StoreKeyPrompt.h"

namespace qtr {

// StoreKeyPrompt's questions as the set-password dialog, the store-password
// dialog and the confirmation window, over owner.
class DialogStorePasswordAsker final : public StorePasswordAsker {
 public:
  DialogStorePasswordAsker(HWND owner, Prompter& prompter, BackupPassword& kept);
  std::optional<std::string> AskNewBackupPassword() override;
  bool AskStorePassword(const std::function<PasswordTry(std::string_view)>& tryPassword) override;
  bool AskReplaceLostKey() override;
  void Tell(TextId message) override;

 private:
  HWND owner_;
  Prompter& prompter_;
  BackupPassword& kept_;
};

// The key for a job on the store of target ("F:"), with the backup password
// kept in programFolder. Proceeds() false: no job (cancelled, or told why).
// personPresent false: the schedule, the hotkey, the enclosure button or the
// one-click page started it. readParameters: how an encrypted file's header
// gives its salt and iteration count (none: a lost key check is not rebuilt).
StoreKeyOutcome AskStoreKey(HWND owner, Prompter& prompter, FileSystem& fs, std::u16string_view programFolder,
                            std::u16string_view target, StoreKeyUse use, bool personPresent = true,
                            const EncryptedParametersReader& readParameters = {});

}  // namespace qtr
