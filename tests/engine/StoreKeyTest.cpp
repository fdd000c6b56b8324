#include "engine/StoreKey.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "support/MemoryFileSystem.h"

namespace qtr {
namespace {

constexpr std::u16string_view kRoot = u"F:\\QTRPMB";
constexpr std::u16string_view kKeyFile = u"F:\\QTRPMB\\~key.bin";
constexpr std::u16string_view kCopyFile = u"F:\\QTRPMB\\~keycopy\\~key.bin";

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
  StoreKey untouched = key.Duplicate();
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "wrong", true, &key), StoreKeyResult::kWrongPassword);
  EXPECT_TRUE(SameKey(key, untouched));

  std::string bytes;
  ASSERT_TRUE(fs.GetFile(kKeyFile, &bytes));
  bytes[20] ^= 0x01;  // inside the salt
  ASSERT_TRUE(fs.PutFile(kKeyFile, bytes));
  ASSERT_TRUE(fs.PutFile(kCopyFile, bytes));
  uint32_t error = 0;
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "right", true, &key, &error), StoreKeyResult::kDamaged);
  EXPECT_NE(error, 0u);
  std::string after;
  ASSERT_TRUE(fs.GetFile(kKeyFile, &after));
  EXPECT_EQ(after, bytes);  // a damaged file is reported, not made anew over the old key

  ASSERT_TRUE(fs.PutFile(kKeyFile, std::string(100000, 'x')));
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "right", false, &key), StoreKeyResult::kDamaged);
}

TEST_F(StoreKeyTest, EitherCopyAloneOpensTheStoreAndTheOtherIsPutBack) {
  StoreKey made;
  ASSERT_EQ(OpenStoreKey(fs, kRoot, "pw", true, &made), StoreKeyResult::kOk);
  std::string first, copy;
  ASSERT_TRUE(fs.GetFile(kKeyFile, &first));
  ASSERT_TRUE(fs.GetFile(kCopyFile, &copy));
  EXPECT_EQ(copy, first);
  uint32_t attributes = 0;
  ASSERT_EQ(fs.GetAttributes(u"F:\\QTRPMB\\~keycopy", &attributes), 0u);
  EXPECT_EQ(attributes & (kAttributeHidden | kAttributeSystem), kAttributeHidden | kAttributeSystem);

  // One gone, the other damaged in one byte (a bad sector): each time the
  // sound one opens the store and the other comes back whole.
  const struct {
    std::u16string_view lose;
    bool remove;
  } losses[] = {{kKeyFile, true}, {kCopyFile, true}, {kKeyFile, false}, {kCopyFile, false}};
  for (const auto& loss : losses) {
    if (loss.remove) {
      ASSERT_EQ(fs.RemoveFile(loss.lose), 0u);
    } else {
      std::string torn = first;
      torn[70] ^= 0x40;
      ASSERT_TRUE(fs.PutFile(loss.lose, torn));
    }
    StoreKey opened;
    ASSERT_EQ(OpenStoreKey(fs, kRoot, "pw", false, &opened), StoreKeyResult::kOk);
    EXPECT_TRUE(SameKey(opened, made));
    std::string back;
    ASSERT_TRUE(fs.GetFile(loss.lose, &back));
    EXPECT_EQ(back, first);
  }
  for (const auto& path : fs.AllPaths()) EXPECT_EQ(path.find(u".~qtrpart"), std::u16string::npos);
}

TEST_F(StoreKeyTest, ALostKeyCheckIsNeverReplacedUnaskedAndIsRebuiltFromTheFiles) {
  StoreKey made;
  ASSERT_EQ(OpenStoreKey(fs, kRoot, "pw", true, &made), StoreKeyResult::kOk);
  ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\C\\docs\\a.txt.qtrx", "sealed"));
  std::string first;
  ASSERT_TRUE(fs.GetFile(kKeyFile, &first));
  ASSERT_EQ(fs.RemoveFile(kKeyFile), 0u);
  ASSERT_EQ(fs.RemoveFile(kCopyFile), 0u);
  EXPECT_TRUE(StoreIsEncrypted(fs, kRoot));
  EXPECT_FALSE(StoreHasKeyCheck(fs, kRoot));

  StoreKey key;
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "pw", true, &key), StoreKeyResult::kLost);
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "pw", false, &key), StoreKeyResult::kLost);
  EXPECT_FALSE(StoreHasKeyCheck(fs, kRoot)) << "no new key without the person's choice";

  // What the files carry (a fake of their header here) rebuilds the same key.
  int tries = 0;
  StoreKeyRebuild rebuild;
  rebuild.findParameters = [&](KeyParameters* parameters) {
    *parameters = made.parameters;
    return true;
  };
  rebuild.opens = [&](const StoreKey& candidate) {
    ++tries;
    return SameKey(candidate, made);
  };
  EXPECT_EQ(OpenStoreKey(fs, kRoot, "not-pw", false, &key, nullptr, rebuild), StoreKeyResult::kWrongPassword);
  EXPECT_FALSE(StoreHasKeyCheck(fs, kRoot));
  ASSERT_EQ(OpenStoreKey(fs, kRoot, "pw", false, &key, nullptr, rebuild), StoreKeyResult::kOk);
  EXPECT_EQ(tries, 2);
  EXPECT_TRUE(SameKey(key, made));
  std::string again;
  ASSERT_TRUE(fs.GetFile(kCopyFile, &again));
  EXPECT_EQ(again, first) << "the same salt, count and check value: the key check is whole again";

  // The person's explicit choice: a new key over the lost one.
  ASSERT_EQ(fs.RemoveFile(kKeyFile), 0u);
  ASSERT_EQ(fs.RemoveFile(kCopyFile), 0u);
  StoreKey fresh;
  ASSERT_EQ(ReplaceLostStoreKey(fs, kRoot, "pw", &fresh), StoreKeyResult::kOk);
  EXPECT_FALSE(SameKey(fresh, made));
  ASSERT_EQ(OpenStoreKey(fs, kRoot, "pw", false, &key), StoreKeyResult::kOk);
  EXPECT_TRUE(SameKey(key, fresh));
}

TEST_F(StoreKeyTest, TwoFirstEncryptedBackupsAtOnceEndWithOneKey) {
  StoreKey first, second;
  StoreKeyResult a = StoreKeyResult::kFailed, b = StoreKeyResult::kFailed;
  std::thread other([&] { a = OpenStoreKey(fs, kRoot, "pw", true, &first); });
  b = OpenStoreKey(fs, kRoot, "pw", true, &second);
  other.join();
  ASSERT_EQ(a, StoreKeyResult::kOk);
  ASSERT_EQ(b, StoreKeyResult::kOk);
  EXPECT_TRUE(SameKey(first, second)) << "neither replaced the other's key check";
  StoreKey opened;
  ASSERT_EQ(OpenStoreKey(fs, kRoot, "pw", false, &opened), StoreKeyResult::kOk);
  EXPECT_TRUE(SameKey(opened, first));
}

TEST_F(StoreKeyTest, TheKeyIsOneOwnerThatWipesWhatItGives) {
  StoreKey key;
  key.bytes[0] = 7;
  key.parameters.iterations = kMinKeyIterations;
  StoreKey second = key.Duplicate();
  StoreKey moved = std::move(key);
  EXPECT_EQ(moved.bytes[0], 7);
  EXPECT_EQ(second.bytes[0], 7);
  EXPECT_EQ(key.bytes[0], 0) << "the moved-from owner keeps no copy";
  EXPECT_EQ(moved.parameters.iterations, kMinKeyIterations);
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
