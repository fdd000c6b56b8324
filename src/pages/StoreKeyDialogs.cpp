#include "pages/StoreKeyDialogs.h"

#include "engine/StoreLayout.h"
#include "pages/PasswordSetDlg.h"
#include "pages/StorePasswordDlg.h"
#include "pages/WhileWindowsAnswer.h"
#include "platform/UserDataProtection.h"
#include "ui/StoreKeyFile.h"

namespace qtr {
namespace {

// The key derivation takes about a second (a few at the iteration ceiling):
// off the window's thread, so the windows keep painting, under the wait cursor.
class WaitingStoreKeyFile final : public StoreKeyFile {
 public:
  using StoreKeyFile::StoreKeyFile;
  StoreKeyResult Open(std::string_view password, bool create, StoreKey* key) override {
    StoreKeyResult result = StoreKeyResult::kFailed;
    RunWhileWindowsAnswer([&] { result = StoreKeyFile::Open(password, create, key); });
    return result;
  }
  StoreKeyResult ReplaceLost(std::string_view password, StoreKey* key) override {
    StoreKeyResult result = StoreKeyResult::kFailed;
    RunWhileWindowsAnswer([&] { result = StoreKeyFile::ReplaceLost(password, key); });
    return result;
  }
};

}  // namespace

DialogStorePasswordAsker::DialogStorePasswordAsker(HWND owner, Prompter& prompter, BackupPassword& kept)
    : owner_(owner), prompter_(prompter), kept_(kept) {}

std::optional<std::string> DialogStorePasswordAsker::AskNewBackupPassword() {
  if (!prompter_.Ask({DisplayText(TextId::PromptTitle), DisplayText(TextId::BackupPasswordNeeded)}))
    return std::nullopt;
  CPasswordSetDlg dialog(prompter_, kept_, true);
  if (dialog.RunModal(owner_) != IDOK) return std::nullopt;
  return dialog.KeptPassword();
}

bool DialogStorePasswordAsker::AskStorePassword(
    const std::function<PasswordTry(std::string_view)>& tryPassword) {
  CStorePasswordDlg dialog(tryPassword);
  return dialog.RunModal(owner_) == IDOK;
}

bool DialogStorePasswordAsker::AskReplaceLostKey() {
  return prompter_.Ask({DisplayText(TextId::PromptTitle), DisplayText(TextId::StoreKeyLostQuestion)});
}

void DialogStorePasswordAsker::Tell(TextId message) {
  prompter_.Ask({DisplayText(TextId::PromptTitle), DisplayText(message)});
}

StoreKeyOutcome AskStoreKey(HWND owner, Prompter& prompter, FileSystem& fs, std::u16string_view programFolder,
                            std::u16string_view target, StoreKeyUse use, bool personPresent,
                            const EncryptedParametersReader& readParameters) {
  BackupPassword kept(SystemFileSystem(), SystemUserDataProtection(), programFolder);
  DialogStorePasswordAsker asker(owner, prompter, kept);
  // A restore finds a lost key check's key again from the files; a backup
  // never does it silently, and a verify reports such a store as it is.
  WaitingStoreKeyFile store(
      fs, target, use == StoreKeyUse::kRestore ? RebuildFromEncryptedFiles(fs, StoreRootOf(target), readParameters)
                                               : StoreKeyRebuild{});
  return use == StoreKeyUse::kEncryptedBackup ? KeyForEncryptedBackup(store, kept, asker, personPresent)
                                              : KeyForReadingStore(store, kept, asker);
}

}  // namespace qtr
