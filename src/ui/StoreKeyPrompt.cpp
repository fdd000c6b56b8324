#include "ui/StoreKeyPrompt.h"

#include "platform/UserDataProtection.h"

namespace qtr {
namespace {

StoreKeyOutcome Refused(StorePasswordAsker& asker, StoreKeyResult result) {
  asker.Tell(result == StoreKeyResult::kDamaged ? TextId::StoreKeyDamaged
             : result == StoreKeyResult::kLost  ? TextId::StoreKeyLost
                                                : TextId::StoreKeyFailed);
  return {StoreKeyOutcome::Kind::kRefused, std::nullopt};
}

StoreKeyOutcome KeyOutcome(StoreKey& key) {
  return {StoreKeyOutcome::Kind::kKey, std::move(key)};
}

// The question of a backup into a store whose key check is lost.
StoreKeyOutcome ReplaceLost(StoreKeySource& store, std::string_view password, bool personPresent,
                            StorePasswordAsker& asker) {
  if (!personPresent) {
    asker.Tell(TextId::StoreKeyLostUnattended);
    return {StoreKeyOutcome::Kind::kRefused, std::nullopt};
  }
  if (!asker.AskReplaceLostKey()) return {};
  StoreKey key;
  const StoreKeyResult result = store.ReplaceLost(password, &key);
  if (result == StoreKeyResult::kOk) return KeyOutcome(key);
  return Refused(asker, result);
}

// The store was made under a password other than the one tried first.
StoreKeyOutcome AskForStorePassword(StoreKeySource& store, StorePasswordAsker& asker) {
  StoreKey key;
  StoreKeyResult stop = StoreKeyResult::kOk;
  const bool accepted = asker.AskStorePassword([&](std::string_view password) {
    // An empty entry is never a store's password: no second spent on it.
    if (password.empty()) return PasswordTry::kRefused;
    const StoreKeyResult result = store.Open(password, false, &key);
    switch (result) {
      case StoreKeyResult::kOk: return PasswordTry::kAccepted;
      case StoreKeyResult::kWrongPassword: return PasswordTry::kRefused;
      // The file went while asking: the store cannot be read as encrypted.
      case StoreKeyResult::kNotEncrypted: stop = StoreKeyResult::kFailed; return PasswordTry::kGiveUp;
      default: stop = result; return PasswordTry::kGiveUp;
    }
  });
  if (stop != StoreKeyResult::kOk) return Refused(asker, stop);
  if (!accepted) return {};
  return KeyOutcome(key);
}

StoreKeyOutcome Decide(StoreKeySource& store, std::optional<std::string> password, bool create,
                       bool personPresent, StorePasswordAsker& asker) {
  if (!password) return AskForStorePassword(store, asker);
  StoreKey key;
  StoreKeyResult result = store.Open(*password, create, &key);
  if (result == StoreKeyResult::kLost && create) {
    StoreKeyOutcome outcome = ReplaceLost(store, *password, personPresent, asker);
    WipeSecret(*password);
    return outcome;
  }
  WipeSecret(*password);
  switch (result) {
    case StoreKeyResult::kOk: return KeyOutcome(key);
    case StoreKeyResult::kWrongPassword: return AskForStorePassword(store, asker);
    case StoreKeyResult::kNotEncrypted:
      // Only when nothing was to be made; a backup asked for a key check file.
      if (!create) return {StoreKeyOutcome::Kind::kNotEncrypted, std::nullopt};
      result = StoreKeyResult::kFailed;
      break;
    default: break;
  }
  return Refused(asker, result);
}

}  // namespace

StoreKeyOutcome KeyForEncryptedBackup(StoreKeySource& store, BackupPassword& kept, StorePasswordAsker& asker,
                                      bool personPresent) {
  std::optional<std::string> password = kept.Read();
  if (!password) {
    password = asker.AskNewBackupPassword();
    if (!password || password->empty()) return {};
  }
  return Decide(store, std::move(password), true, personPresent, asker);
}

StoreKeyOutcome KeyForReadingStore(StoreKeySource& store, BackupPassword& kept, StorePasswordAsker& asker) {
  if (!store.IsEncrypted()) return {StoreKeyOutcome::Kind::kNotEncrypted, std::nullopt};
  return Decide(store, kept.Read(), false, true, asker);
}

}  // namespace qtr
