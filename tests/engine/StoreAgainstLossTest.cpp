// An encrypted store against loss, through real jobs and files: a backup
// without encryption never turns it readable unasked, and a lost key check
// is found again from the encrypted files that remain.
#include <gtest/gtest.h>

#include <cstring>

#include "JobFixture.h"
#include "crypto/EncryptedFile.h"
#include "engine/StoreKey.h"
#include "engine/StoreKeyRebuild.h"

namespace qtr {
namespace {

using test::Narrow;

constexpr std::u16string_view kRoot = u"F:\\QTRPMB";

class StoreAgainstLossTest : public test::JobFixture {
 protected:
  StoreAgainstLossTest() {
    fs.PutFile(u"C:\\D\\a.txt", "alpha secret");
    EXPECT_EQ(OpenStoreKey(fs, kRoot, "pw", true, &key), StoreKeyResult::kOk);
  }
  std::unique_ptr<BackupJob> BackUp(bool encrypt, bool storeReadable) {
    Settings("0", "0", std::string("<SetPassword>") + (encrypt ? "1" : "0") + "</SetPassword>");
    Selection(u"backupfullpath.xml", {"C:\\D"});
    auto job = NewJob(false);
    if (encrypt) job->settings.storeKey = key.Duplicate();
    job->settings.storeReadable = storeReadable ? 1 : 0;
    RunJob(*job);
    return job;
  }
  StoreKey key;
};

TEST_F(StoreAgainstLossTest, ABackupWithoutEncryptionStoresNothingReadableUnlessAgreed) {
  BackUp(true, false);
  ASSERT_TRUE(fs.Exists(u"F:\\QTRPMB\\C\\D\\a.txt.qtrx"));
  std::string sealed;
  ASSERT_TRUE(fs.GetFile(u"F:\\QTRPMB\\C\\D\\a.txt.qtrx", &sealed));
  fs.PutFile(u"C:\\D\\a.txt", "alpha secret, changed");

  // Settings that did not load, a second PC: encryption off.
  auto refused = BackUp(false, false);
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_EQ(Narrow(lines.lines[0]).rfind("F:\\QTRPMB", 0), 0u) << Narrow(lines.lines[0]);
  EXPECT_EQ(refused->counters.finishedCount.load(), 0u);
  std::string after;
  ASSERT_TRUE(fs.GetFile(u"F:\\QTRPMB\\C\\D\\a.txt.qtrx", &after));
  EXPECT_EQ(after, sealed);
  EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB\\C\\D\\a.txt"));

  // The person said yes: stored readable, the encrypted copy replaced.
  lines.lines.clear();
  BackUp(false, true);
  EXPECT_TRUE(lines.lines.empty());
  EXPECT_TRUE(fs.Exists(u"F:\\QTRPMB\\C\\D\\a.txt"));
  EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB\\C\\D\\a.txt.qtrx"));
}

TEST_F(StoreAgainstLossTest, ALostKeyCheckIsRebuiltFromAFileThatAuthenticatesUnderIt) {
  BackUp(true, false);
  ASSERT_EQ(fs.RemoveFile(KeyCheckPathOf(kRoot)), 0u);
  ASSERT_EQ(fs.RemoveFile(KeyCheckCopyPathOf(kRoot)), 0u);
  // Stands in for the header's own parameters: every file of this store carries the key's.
  int reads = 0;
  const EncryptedParametersReader read = [&](File&, KeyParameters* parameters) {
    ++reads;
    *parameters = key.parameters;
    return true;
  };
  StoreKey rebuilt;
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "pw", false, &rebuilt), StoreKeyResult::kLost);
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "other", false, &rebuilt, nullptr, RebuildFromEncryptedFiles(fs, std::u16string(kRoot), read)),
            StoreKeyResult::kWrongPassword);
  ASSERT_EQ(OpenStoreKey(fs, kRoot, "pw", false, &rebuilt, nullptr, RebuildFromEncryptedFiles(fs, std::u16string(kRoot), read)),
            StoreKeyResult::kOk);
  EXPECT_EQ(std::memcmp(rebuilt.bytes, key.bytes, sizeof key.bytes), 0);
  EXPECT_EQ(reads, 2);
  EXPECT_TRUE(StoreHasKeyCheck(fs, kRoot));

  // The restore with the rebuilt key gives the file back.
  fs.RemoveFile(u"C:\\D\\a.txt");
  Selection(u"restoreTempPath.xml", {"F:\\QTRPMB\\C\\D"});
  auto job = NewJob(true);
  job->settings.storeKey = std::move(rebuilt);
  RunJob(*job);
  EXPECT_TRUE(lines.lines.empty());
  std::string back;
  ASSERT_TRUE(fs.GetFile(u"C:\\D\\a.txt", &back));
  EXPECT_EQ(back, "alpha secret");
}

}  // namespace
}  // namespace qtr
