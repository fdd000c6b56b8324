// What a job start does to get the key of an encrypted store: the kept
// backup password, the questions to the person, and when nothing starts.
// The store and the windows are scripted; each test is one sequence.
#include <gtest/gtest.h>

#include <deque>

#include "config/LanguageText.h"
#include "support/MemoryFileSystem.h"
#include "support/TestUserDataProtection.h"
#include "ui/BackupPasswordSet.h"
#include "ui/StoreKeyPrompt.h"

namespace qtr {
namespace {

using Kind = StoreKeyOutcome::Kind;
using R = StoreKeyResult;

// A store whose key check file has one password; a result scripted ahead
// replaces the next answer (a damaged file, a failing disk).
class ScriptedStore final : public StoreKeySource {
 public:
  ScriptedStore(bool hasKeyCheck, std::string password) : has_(hasKeyCheck), password_(std::move(password)) {}
  bool IsEncrypted() override { return has_; }
  StoreKeyResult Open(std::string_view password, bool create, StoreKey* key) override {
    calls.push_back(std::string(password) + (create ? " create" : ""));
    if (!next.empty()) {
      const R result = next.front();
      next.pop_front();
      return result;
    }
    if (!has_) {
      if (!create) return R::kNotEncrypted;
      has_ = true;
      password_ = password;
    }
    if (password != password_) return R::kWrongPassword;
    key->bytes[0] = static_cast<uint8_t>(password_.size());
    return R::kOk;
  }
  StoreKeyResult ReplaceLost(std::string_view password, StoreKey* key) override {
    calls.push_back("replace " + std::string(password));
    key->bytes[0] = 99;
    return R::kOk;
  }
  std::deque<R> next;
  std::vector<std::string> calls;

 private:
  bool has_;
  std::string password_;
};

// The person: a new password when asked for one, then store passwords
// typed one after another until one is taken; cancel when none is left.
class ScriptedPerson final : public StorePasswordAsker {
 public:
  std::optional<std::string> AskNewBackupPassword() override {
    asked.push_back("new");
    return newPassword;
  }
  bool AskStorePassword(const std::function<PasswordTry(std::string_view)>& tryPassword) override {
    asked.push_back("store");
    while (!entries.empty()) {
      const std::string entry = entries.front();
      entries.pop_front();
      switch (tryPassword(entry)) {
        case PasswordTry::kAccepted: return true;
        case PasswordTry::kRefused: asked.push_back("refused " + entry); break;
        case PasswordTry::kGiveUp: return false;
      }
    }
    return false;  // cancelled
  }
  bool AskReplaceLostKey() override {
    asked.push_back("replace lost?");
    return replaceLost;
  }
  void Tell(TextId message) override { told.push_back(DisplayText(message)); }

  bool replaceLost = false;

  std::optional<std::string> newPassword;
  std::deque<std::string> entries;
  std::vector<std::string> asked;
  std::vector<std::u16string> told;
};

class StoreKeyPromptTest : public ::testing::Test {
 protected:
  void SetUp() override { fs_.AddVolume(u'C', MemoryFileSystem::Kind::kNtfs); }
  MemoryFileSystem fs_;
  test::TestProtection user_{"anna"};
  BackupPassword kept_{fs_, user_, u"C:\\"};
  ScriptedPerson person_;
};

TEST_F(StoreKeyPromptTest, BackupWithTheKeptPasswordAsksNothing) {
  ASSERT_EQ(kept_.Keep("kept-pw"), 0u);
  ScriptedStore fresh(false, "");
  const StoreKeyOutcome made = KeyForEncryptedBackup(fresh, kept_, person_);
  EXPECT_EQ(made.kind, Kind::kKey);
  ASSERT_TRUE(made.key);
  EXPECT_EQ(made.key->bytes[0], 7);
  EXPECT_EQ(fresh.calls, std::vector<std::string>{"kept-pw create"}) << "one derivation per start";
  // The next start opens the key check file the first one made.
  EXPECT_EQ(KeyForEncryptedBackup(fresh, kept_, person_).kind, Kind::kKey);
  EXPECT_TRUE(person_.asked.empty());
  EXPECT_TRUE(person_.told.empty());
}

TEST_F(StoreKeyPromptTest, BackupWithoutAKeptPasswordAsksForOneOrStartsNothing) {
  ScriptedStore store(false, "");
  // Cancelled: no backup, and no key check file made.
  EXPECT_EQ(KeyForEncryptedBackup(store, kept_, person_).kind, Kind::kCancelled);
  EXPECT_TRUE(store.calls.empty());
  // Set in the dialog: that password makes the store's key.
  person_.newPassword = "typed-pw";
  const StoreKeyOutcome outcome = KeyForEncryptedBackup(store, kept_, person_);
  EXPECT_EQ(outcome.kind, Kind::kKey);
  EXPECT_EQ(store.calls, std::vector<std::string>{"typed-pw create"});
  EXPECT_EQ(person_.asked, (std::vector<std::string>{"new", "new"}));
}

TEST_F(StoreKeyPromptTest, AStoreUnderAnotherPasswordIsAskedForItsOwnUntilRightOrCancelled) {
  ASSERT_EQ(kept_.Keep("new-pw"), 0u);
  ScriptedStore store(true, "old-pw");
  person_.entries = {"", "Old-pw", "old-pw"};
  const StoreKeyOutcome outcome = KeyForEncryptedBackup(store, kept_, person_);
  EXPECT_EQ(outcome.kind, Kind::kKey);
  EXPECT_EQ(outcome.key->bytes[0], 6);
  EXPECT_EQ(person_.asked, (std::vector<std::string>{"store", "refused ", "refused Old-pw"}));
  // The empty entry cost no derivation; nothing is made over the old file.
  EXPECT_EQ(store.calls, (std::vector<std::string>{"new-pw create", "Old-pw", "old-pw"}));
  EXPECT_EQ(kept_.Read(), "new-pw") << "the store's own password is not kept in place of the backup password";

  person_.entries = {"wrong"};
  EXPECT_EQ(KeyForEncryptedBackup(store, kept_, person_).kind, Kind::kCancelled);
  EXPECT_TRUE(person_.told.empty());
}

TEST_F(StoreKeyPromptTest, ADamagedOrUnreadableKeyFileStartsNothingAndSaysWhy) {
  ASSERT_EQ(kept_.Keep("pw"), 0u);
  const std::u16string damaged = DisplayText(TextId::StoreKeyDamaged);
  const std::u16string failed = DisplayText(TextId::StoreKeyFailed);
  struct Case {
    std::deque<R> results;
    bool reading;
    std::deque<std::string> entries;
    std::u16string told;
  } cases[] = {
      {{R::kDamaged}, false, {}, damaged},
      {{R::kFailed}, false, {}, failed},
      {{R::kNotEncrypted}, false, {}, failed},  // asked to make one, made none
      {{R::kDamaged}, true, {}, damaged},
      {{R::kFailed}, true, {}, failed},
      // Broken while the person was being asked: the dialog gives up.
      {{R::kWrongPassword, R::kDamaged}, true, {"x", "never tried"}, damaged},
      {{R::kWrongPassword, R::kNotEncrypted}, false, {"x"}, failed},
  };
  for (Case& c : cases) {
    ScriptedStore store(true, "pw");
    store.next = c.results;
    person_.entries = c.entries;
    person_.told.clear();
    const StoreKeyOutcome outcome =
        c.reading ? KeyForReadingStore(store, kept_, person_) : KeyForEncryptedBackup(store, kept_, person_);
    EXPECT_EQ(outcome.kind, Kind::kRefused) << testing::PrintToString(c.told);
    EXPECT_FALSE(outcome.Proceeds());
    EXPECT_FALSE(outcome.key);
    EXPECT_EQ(person_.told, std::vector<std::u16string>{c.told});
  }
}

TEST_F(StoreKeyPromptTest, ReadingAStoreNeedsAKeyOnlyWhenItHasAKeyCheckFile) {
  ScriptedStore plain(false, "");
  const StoreKeyOutcome none = KeyForReadingStore(plain, kept_, person_);
  EXPECT_EQ(none.kind, Kind::kNotEncrypted);
  EXPECT_TRUE(none.Proceeds());
  EXPECT_TRUE(plain.calls.empty()) << "no derivation for a plain store";

  // Nothing kept: the store's password is asked for, never a new one made.
  ScriptedStore store(true, "store-pw");
  person_.entries = {"nope", "store-pw"};
  EXPECT_EQ(KeyForReadingStore(store, kept_, person_).kind, Kind::kKey);
  EXPECT_EQ(store.calls, (std::vector<std::string>{"nope", "store-pw"}));
  EXPECT_EQ(person_.asked, (std::vector<std::string>{"store", "refused nope"}));

  // The kept password opens it without a question; a cancel starts nothing.
  ASSERT_EQ(kept_.Keep("store-pw"), 0u);
  person_.asked.clear();
  EXPECT_EQ(KeyForReadingStore(store, kept_, person_).kind, Kind::kKey);
  EXPECT_TRUE(person_.asked.empty());
  ASSERT_EQ(kept_.Keep("other"), 0u);
  EXPECT_EQ(KeyForReadingStore(store, kept_, person_).kind, Kind::kCancelled);
}

TEST_F(StoreKeyPromptTest, ALostKeyCheckGetsANewKeyOnlyWhenThePersonChoosesIt) {
  ASSERT_EQ(kept_.Keep("pw"), 0u);
  ScriptedStore store(true, "pw");
  // Declined: nothing starts and nothing is made.
  store.next = {R::kLost};
  EXPECT_EQ(KeyForEncryptedBackup(store, kept_, person_).kind, Kind::kCancelled);
  EXPECT_EQ(store.calls, std::vector<std::string>{"pw create"});
  EXPECT_EQ(person_.asked, std::vector<std::string>{"replace lost?"});
  // Nobody there (the schedule, the hotkey, the button): refused with a line, never asked.
  store.next = {R::kLost};
  person_.asked.clear();
  EXPECT_EQ(KeyForEncryptedBackup(store, kept_, person_, false).kind, Kind::kRefused);
  EXPECT_TRUE(person_.asked.empty());
  EXPECT_EQ(person_.told, std::vector<std::u16string>{DisplayText(TextId::StoreKeyLostUnattended)});
  // Chosen: the new key comes from the kept password.
  store.next = {R::kLost};
  person_.replaceLost = true;
  const StoreKeyOutcome replaced = KeyForEncryptedBackup(store, kept_, person_);
  ASSERT_EQ(replaced.kind, Kind::kKey);
  EXPECT_EQ(replaced.key->bytes[0], 99);
  EXPECT_EQ(store.calls.back(), "replace pw");
  // A restore or a verify of such a store is told why it cannot read it, and never replaces.
  store.next = {R::kLost};
  person_.told.clear();
  EXPECT_EQ(KeyForReadingStore(store, kept_, person_).kind, Kind::kRefused);
  EXPECT_EQ(person_.told, std::vector<std::u16string>{DisplayText(TextId::StoreKeyLost)});
  EXPECT_EQ(store.calls.back(), "pw");
}

TEST_F(StoreKeyPromptTest, SettingTheBackupPasswordKeepsOrRemovesIt) {
  BackupPasswordSetOutcome outcome = ApplyBackupPasswordSet(u"abc", u"abd", false, kept_);
  EXPECT_EQ(outcome.message, TextId::TwiceInputNotSame);
  EXPECT_EQ(outcome.title, TextId::Error);
  EXPECT_TRUE(outcome.clearNewFields);
  EXPECT_FALSE(outcome.closeDialog);
  EXPECT_EQ(kept_.Read(), std::nullopt);

  outcome = ApplyBackupPasswordSet(u"p\u00e4ss", u"p\u00e4ss", false, kept_);
  EXPECT_EQ(outcome.message, TextId::PasswordSetSuccess);
  EXPECT_EQ(outcome.title, TextId::PromptTitle);
  EXPECT_TRUE(outcome.closeDialog);
  EXPECT_EQ(outcome.kept, "p\xc3\xa4ss");
  EXPECT_EQ(kept_.Read(), "p\xc3\xa4ss") << "kept as UTF-8, as the key is derived from it";

  // A lone surrogate has no UTF-8 form; a failed seal keeps the old password.
  EXPECT_EQ(ApplyBackupPasswordSet(u"a\xd800", u"a\xd800", false, kept_).message,
            TextId::PasswordBadCharacters);
  user_.failing = true;
  outcome = ApplyBackupPasswordSet(u"new", u"new", false, kept_);
  EXPECT_EQ(outcome.message, TextId::PasswordSetFiled);
  EXPECT_FALSE(outcome.closeDialog);
  user_.failing = false;
  EXPECT_EQ(kept_.Read(), "p\xc3\xa4ss");

  // Before an encrypted backup an empty entry is refused; from the settings it removes the password.
  EXPECT_EQ(ApplyBackupPasswordSet(u"", u"", true, kept_).message, TextId::BackupPasswordEmpty);
  EXPECT_EQ(kept_.Read(), "p\xc3\xa4ss");
  outcome = ApplyBackupPasswordSet(u"", u"", false, kept_);
  EXPECT_EQ(outcome.message, TextId::BackupPasswordRemoved);
  EXPECT_TRUE(outcome.closeDialog);
  EXPECT_FALSE(fs_.Exists(kept_.Path()));
}

}  // namespace
}  // namespace qtr
