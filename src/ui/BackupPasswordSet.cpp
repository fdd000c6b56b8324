#include "ui/BackupPasswordSet.h"

#include "platform/UserDataProtection.h"
#include "platform/Utf8.h"

namespace qtr {
namespace {

BackupPasswordSetOutcome Refusal(TextId message) {
  BackupPasswordSetOutcome outcome;
  outcome.message = message;
  outcome.clearNewFields = true;
  return outcome;
}

BackupPasswordSetOutcome Result(TextId message, bool done) {
  BackupPasswordSetOutcome outcome;
  outcome.message = message;
  outcome.title = TextId::PromptTitle;
  outcome.closeDialog = done;
  return outcome;
}

}  // namespace

BackupPasswordSetOutcome ApplyBackupPasswordSet(const std::u16string& entry, const std::u16string& again,
                                                bool required, BackupPassword& kept) {
  if (entry != again) return Refusal(TextId::TwiceInputNotSame);
  if (entry.empty()) {
    if (required) return Refusal(TextId::BackupPasswordEmpty);
    return kept.Remove() == 0 ? Result(TextId::BackupPasswordRemoved, true)
                              : Result(TextId::PasswordSetFiled, false);
  }
  // A lone surrogate has no UTF-8 form: the key would not be the one typed.
  bool lossy = false;
  std::string password = Utf16ToUtf8(entry, &lossy);
  if (lossy) {
    WipeSecret(password);
    return Refusal(TextId::PasswordBadCharacters);
  }
  if (kept.Keep(password) != 0) {
    WipeSecret(password);
    return Result(TextId::PasswordSetFiled, false);
  }
  BackupPasswordSetOutcome outcome = Result(TextId::PasswordSetSuccess, true);
  outcome.kept = std::move(password);
  return outcome;
}

}  // namespace qtr
