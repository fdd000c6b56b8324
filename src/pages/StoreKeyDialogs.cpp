#include "pages/StoreKeyDialogs.h"

#include "pages/PasswordSetDlg.h"
#include "pages/StoreKeyFile.h"
#include "pages/StorePasswordDlg.h"
#include "platform/UserDataProtection.h"

namespace qtr {
namespace {

// The key derivation takes about a second: the person sees the program is working.
class WaitingStoreKeyFile final : public StoreKeyFile {
 public:
  using StoreKeyFile::StoreKeyFile;
  StoreKeyResult Open(std::string_view password, bool create, StoreKey* key) override {
    HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const StoreKeyResult result = StoreKeyFile::Open(password, create, key);
    SetCursor(before);
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

void DialogStorePasswordAsker::Tell(TextId message) {
  prompter_.Ask({DisplayText(TextId::PromptTitle), DisplayText(message)});
}

StoreKeyOutcome AskStoreKey(HWND owner, Prompter& prompter, FileSystem& fs, std::u16string_view programFolder,
                            std::u16string_view target, StoreKeyUse use) {
  BackupPassword kept(SystemFileSystem(), SystemUserDataProtection(), programFolder);
  DialogStorePasswordAsker asker(owner, prompter, kept);
  WaitingStoreKeyFile store(fs, target);
  return use == StoreKeyUse::kEncryptedBackup ? KeyForEncryptedBackup(store, kept, asker)
                                              : KeyForReadingStore(store, kept, asker);
}

}  // namespace qtr
