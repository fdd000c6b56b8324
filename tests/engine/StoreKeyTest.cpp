#include "engine/StoreKey.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/MemoryFileSystem.h"

namespace qtr {
namespace {

constexpr std::u16string_view kRoot = u"F:\\QTRPMB";
constexpr std::u16string_view kKeyFile = u"F:\\QTRPMB\\~key.bin";

class StoreKeyTest : public ::testing::Test {
 protected:
  StoreKeyTest() { fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs); }
  MemoryFileSystem fs;
};

bool SameKey(const StoreKey& a, const StoreKey& b) {
  return std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0;
}

TEST_F(StoreKeyTest, FirstEncryptedBackupMakesTheKeyCheckAndLaterOnesOpenIt) {
  StoreKey made, opened, again;
  EXPECT_FALSE(StoreHasKeyCheck(fs, kRoot));
  // Without create, a store without a key check file is not encrypted, and stays untouched.
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "pass", false, &made), StoreKeyResult::kNotEncrypted);
  EXPECT_FALSE(fs.Exists(kRoot));

  ASSERT_EQ(OpenStoreKey(fs, kRoot, "pass", true, &made), StoreKeyResult::kOk);
  EXPECT_TRUE(StoreHasKeyCheck(fs, kRoot));
  std::string bytes;
  ASSERT_TRUE(fs.GetFile(kKeyFile, &bytes));
  EXPECT_EQ(bytes.size(), 96u);
  EXPECT_EQ(bytes.find("pass"), std::string::npos);
  EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB\\~key.bin.~qtrpart"));

  ASSERT_EQ(OpenStoreKey(fs, kRoot, "pass", false, &opened), StoreKeyResult::kOk);
  EXPECT_TRUE(SameKey(made, opened));
  // create on a store that has one opens it: the key never changes under stored files.
  ASSERT_EQ(OpenStoreKey(fs, kRoot, "pass", true, &again), StoreKeyResult::kOk);
  EXPECT_TRUE(SameKey(made, again));
  std::string after;
  ASSERT_TRUE(fs.GetFile(kKeyFile, &after));
  EXPECT_EQ(after, bytes);
}

TEST_F(StoreKeyTest, WrongPasswordAndDamagedFileAreToldApartAndNeverReplaced) {
  StoreKey key;
  ASSERT_EQ(OpenStoreKey(fs, kRoot, "right", true, &key), StoreKeyResult::kOk);
  StoreKey untouched = key;
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "wrong", true, &key), StoreKeyResult::kWrongPassword);
  EXPECT_TRUE(SameKey(key, untouched));

  std::string bytes;
  ASSERT_TRUE(fs.GetFile(kKeyFile, &bytes));
  bytes[20] ^= 0x01;  // inside the salt
  ASSERT_TRUE(fs.PutFile(kKeyFile, bytes));
  uint32_t error = 0;
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "right", true, &key, &error), StoreKeyResult::kDamaged);
  EXPECT_NE(error, 0u);
  std::string after;
  ASSERT_TRUE(fs.GetFile(kKeyFile, &after));
  EXPECT_EQ(after, bytes);  // a damaged file is reported, not made anew over the old key

  ASSERT_TRUE(fs.PutFile(kKeyFile, std::string(100000, 'x')));
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "right", false, &key), StoreKeyResult::kDamaged);
}

TEST_F(StoreKeyTest, FailedWriteLeavesNoKeyCheckFile) {
  fs.FailWritesAt(u"F:\\QTRPMB", 10, kErrorDiskFull);
  StoreKey key;
  uint32_t error = 0;
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "pass", true, &key, &error), StoreKeyResult::kFailed);
  EXPECT_EQ(error, kErrorDiskFull);
  EXPECT_FALSE(StoreHasKeyCheck(fs, kRoot));
  EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB\\~key.bin.~qtrpart"));
  fs.ClearFaults();
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "pass", true, &key), StoreKeyResult::kOk);
}

TEST_F(StoreKeyTest, PowerCutAtAnyStepLeavesNoneOrTheWholeFile) {
  for (uint64_t steps = 0; steps < 5; ++steps) {
    MemoryFileSystem cut;
    cut.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs);
    cut.CreateFolder(kRoot);
    cut.CutPowerAfter(u'F', steps);
    StoreKey key;
    OpenStoreKey(cut, kRoot, "pass", true, &key);
    const size_t pending = cut.PendingChanges();
    for (uint64_t survivors = 0; survivors < (uint64_t{1} << pending); ++survivors) {
      const auto files = cut.FilesAfterRestart(survivors);
      const auto it = files.find(std::u16string(kKeyFile));
      if (it == files.end()) continue;
      EXPECT_EQ(it->second.size(), 96u) << "steps " << steps << " survivors " << survivors;
      EXPECT_NE(it->second.substr(0, 4), std::string(4, '\0'));
    }
  }
}

}  // namespace
}  // namespace qtr
