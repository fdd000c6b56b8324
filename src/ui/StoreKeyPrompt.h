// Turning the person's password into the key of the store a job works on,
// before the job starts: the kept backup password first, the person asked
// only when it is missing or is not the store's. The engine is handed the
// key, never a password. The windows are behind StorePasswordAsker, the
// store's key check file behind StoreKeySource.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "config/BackupPassword.h"
#include "config/LanguageText.h"
#include "engine/StoreKey.h"

namespace qtr {

// What a job needs the store's key for.
enum class StoreKeyUse {
  kEncryptedBackup,  // a backup with "SetPassword" "1": the store gets a key check file when it has none
  kRestore,          // a key only when the store is encrypted; a lost key check rebuilt from the files
  kVerify,           // the same, without a rebuild: a store without its key check is not verifiable
};

// The key check file of one store.
class StoreKeySource {
 public:
  virtual ~StoreKeySource() = default;
  // The store has a key check or holds encrypted files.
  virtual bool IsEncrypted() = 0;
  // OpenStoreKey with password (UTF-8) over this store.
  virtual StoreKeyResult Open(std::string_view password, bool create, StoreKey* key) = 0;
  // ReplaceLostStoreKey: only once the person chose it.
  virtual StoreKeyResult ReplaceLost(std::string_view password, StoreKey* key) = 0;
};

// What one entry of the store's password does to the dialog asking for it.
enum class PasswordTry {
  kAccepted,  // the store's password: the dialog closes
  kRefused,   // not the store's: told inside the dialog, which stays open
  kGiveUp,    // the store cannot be opened at all: the dialog closes
};

// The questions, through the windows in the program and answered by tests.
class StorePasswordAsker {
 public:
  virtual ~StorePasswordAsker() = default;
  // Encryption is on and no backup password is kept: the person sets one
  // (the set-password dialog keeps it). The password (UTF-8); none: cancelled.
  virtual std::optional<std::string> AskNewBackupPassword() = 0;
  // The store was made under another password: the person is asked for it
  // until tryPassword accepts an entry (true) or gives up, or the person
  // cancels (false).
  virtual bool AskStorePassword(const std::function<PasswordTry(std::string_view password)>& tryPassword) = 0;
  // The store's key check is lost: whether to give the store a new key,
  // which leaves every encrypted copy already in it unreadable here.
  virtual bool AskReplaceLostKey() = 0;
  // A message saying why the job does not start.
  virtual void Tell(TextId message) = 0;
};

struct StoreKeyOutcome {
  enum class Kind {
    kKey,           // key holds the store's key
    kNotEncrypted,  // the store has no key check file: a job without a key
    kCancelled,     // the person cancelled: no job, nothing more to say
    kRefused,       // the store's key check file is damaged or cannot be read or written: told
  };
  Kind kind = Kind::kCancelled;
  std::optional<StoreKey> key;
  // Whether the job may start (with key when it is set).
  bool Proceeds() const { return kind == Kind::kKey || kind == Kind::kNotEncrypted; }
};

// A backup with "SetPassword" "1": the kept password (asked for and kept
// when there is none) opens the target store's key check file, or makes it
// for a store without one; a store made under another password is asked
// for its own. A store whose key check is lost gets a new key only when the
// person, asked, chooses it; a start nobody is there for (personPresent
// false: the schedule, the hotkey, the enclosure button, the one-click
// page) is refused with a line instead.
StoreKeyOutcome KeyForEncryptedBackup(StoreKeySource& store, BackupPassword& kept, StorePasswordAsker& asker,
                                      bool personPresent = true);

// A restore or a verify: a store without a key check or encrypted files needs no key;
// otherwise the kept password, and when it is missing or not the store's,
// the store's own password asked for.
StoreKeyOutcome KeyForReadingStore(StoreKeySource& store, BackupPassword& kept, StorePasswordAsker& asker);

}  // namespace qtr
