// qtrpack verify: its arguments, its findings as printed and its exit codes.
#include "tools/VerifyCommand.h"

#include <gtest/gtest.h>

#include "crypto/EncryptedFile.h"
#include "crypto/Sha256.h"
#include "engine/StoreIndex.h"
#include "engine/StoreKey.h"
#include "support/MemoryFileSystem.h"
#include "tools/ToolArguments.h"

namespace qtr {
namespace {

using Command = ToolRequest::Command;

TEST(VerifyCommandTest, ArgumentsNeedOneDriveAndOnlyTheWindowsBuildRunsIt) {
  const ToolRequest verify = ParseToolArguments({u"verify", u"--target", u"F:"}, true);
  EXPECT_EQ(verify.command, Command::kVerify);
  EXPECT_EQ(verify.job.target, u"F:");
  EXPECT_EQ(ParseToolArguments({u"verify"}, true).error, "--target needs a drive such as F:");
  EXPECT_EQ(ParseToolArguments({u"verify", u"--target"}, true).error, "--target needs a value");
  EXPECT_EQ(ParseToolArguments({u"verify", u"--target", u"F:\\QTRPMB"}, true).error,
            "--target needs a drive such as F:");
  EXPECT_EQ(ParseToolArguments({u"verify", u"--target", u"F:", u"G:"}, true).error, "too many arguments: G:");
  EXPECT_EQ(ParseToolArguments({u"verify", u"--program", u"C:\\P"}, true).error,
            "verify does not take the option --program");
  EXPECT_EQ(ParseToolArguments({u"verify", u"--target", u"F:"}, false).error,
            "verify exists only in the Windows build of qtrpack");
}

class VerifyCommandStore : public ::testing::Test {
 protected:
  VerifyCommandStore() {
    fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs);
    fs.AddVolume(u'G', MemoryFileSystem::Kind::kNtfs);
    fs.CreateFolder(u"F:\\QTRPMB");
    fs.CreateFolder(u"F:\\QTRPMB\\C");
  }
  void Store(std::u16string_view stored, const std::string& content) {
    const std::u16string path = u"F:\\QTRPMB\\" + std::u16string(stored);
    ASSERT_TRUE(fs.PutFile(path, content));
    FindEntry listed;
    ASSERT_EQ(fs.Find(path, &listed), 0u);
    StoreIndexEntry entry;
    entry.stored = std::u16string(stored);
    entry.sourceSize = content.size();
    entry.storedSize = listed.size;
    entry.storedLastWrite = listed.times.lastWrite;
    entry.sha256 = Sha256Of(content.data(), content.size());
    StoreIndex index = StoreIndex::Load(fs, u"F:\\QTRPMB");
    index.Record(entry);
    ASSERT_EQ(index.AppendPending(fs), 0u);
  }
  MemoryFileSystem fs;
};

TEST_F(VerifyCommandStore, SoundStorePrintsTheSummaryAndExitsZero) {
  Store(u"C\\a.txt", "alpha");
  std::string out;
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out), 0);
  EXPECT_EQ(out, "Verified 1 files: 1 sound, 0 damaged, 0 unknown; 0 missing. No damage found.\n");
  // A file nothing says anything of: not damage, and not verified.
  ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\C\\old.txt", "from before the index"));
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out), 3);
  EXPECT_EQ(out,
            "unknown F:\\QTRPMB\\C\\old.txt\n"
            "Verified 2 files: 1 sound, 0 damaged, 1 unknown; 0 missing. The store could not be fully verified.\n");
}

// 0 sound, 1 damaged (a flipped byte, a file changed outside), 3 not verifiable (no index, no key check).
TEST_F(VerifyCommandStore, ExitCodesTellDamageFromWhatCouldNotBeChecked) {
  Store(u"C\\a.txt", "alpha");
  Store(u"C\\b.txt", "beta");
  std::string out;
  FindEntry listed;
  ASSERT_EQ(fs.Find(u"F:\\QTRPMB\\C\\b.txt", &listed), 0u);
  ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\C\\b.txt", "bEta"));
  ASSERT_EQ(fs.SetTimes(u"F:\\QTRPMB\\C\\b.txt", listed.times), 0u);
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out), 1);
  FileTimes later = listed.times;
  later.lastWrite += 10'000'000;
  ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\C\\b.txt", "beta, edited"));
  ASSERT_EQ(fs.SetTimes(u"F:\\QTRPMB\\C\\b.txt", later), 0u);
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out), 1);
  EXPECT_NE(out.find("damaged F:\\QTRPMB\\C\\b.txt;changed since it was backed up\n"), std::string::npos) << out;

  for (const auto& path : fs.AllPaths())
    if (path.starts_with(u"F:\\QTRPMB\\~index\\")) fs.RemoveFile(path);
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out), 3);
}

TEST_F(VerifyCommandStore, DamagedOrMissingFilesExitOneAndAMissingStoreExitsTwo) {
  Store(u"C\\a.txt", "alpha");
  Store(u"C\\b.txt", "beta");
  FindEntry before;
  ASSERT_EQ(fs.Find(u"F:\\QTRPMB\\C\\a.txt", &before), 0u);
  ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\C\\a.txt", "alphA"));
  ASSERT_EQ(fs.SetTimes(u"F:\\QTRPMB\\C\\a.txt", before.times), 0u);
  ASSERT_EQ(fs.RemoveFile(u"F:\\QTRPMB\\C\\b.txt"), 0u);
  std::string out;
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out), 1);
  EXPECT_EQ(out,
            "damaged F:\\QTRPMB\\C\\a.txt;content differs\n"
            "missing F:\\QTRPMB\\C\\b.txt\n"
            "Verified 1 files: 0 sound, 1 damaged, 0 unknown; 1 missing. The store is damaged.\n");

  EXPECT_EQ(VerifyCommand(fs, u"G:", &out), 2);
  EXPECT_EQ(out, "no store on G: (G:\\QTRPMB is not a folder)\n");
}

}  // namespace
}  // namespace qtr

namespace qtr {
namespace {

TEST_F(VerifyCommandStore, AnEncryptedStoreIsReadWithThePasswordAndAWrongOneReadsNothing) {
  StoreKey key;
  ASSERT_EQ(OpenStoreKey(fs, u"F:\\QTRPMB", "pw", true, &key), StoreKeyResult::kOk);
  const std::string content = "secret alpha";
  {
    std::unique_ptr<File> out;
    ASSERT_EQ(fs.Open(u"F:\\QTRPMB\\C\\a.txt.qtrx", OpenMode::kWriteNew, &out), 0u);
    uint32_t error = 0;
    auto sealed = EncryptingFile::Create(*out, key.bytes, {content.size(), 5}, &error);
    ASSERT_TRUE(sealed);
    ASSERT_EQ(sealed->Write(content.data(), content.size()), 0u);
    ASSERT_EQ(sealed->Finish(), 0u);
  }
  FindEntry listed;
  ASSERT_EQ(fs.Find(u"F:\\QTRPMB\\C\\a.txt.qtrx", &listed), 0u);
  StoreIndex index = StoreIndex::Load(fs, u"F:\\QTRPMB");
  StoreIndexEntry entry;
  entry.stored = u"C\\a.txt.qtrx";
  entry.form = StoredForm::kEncrypted;
  entry.sourceSize = content.size();
  entry.storedSize = listed.size;
  entry.storedLastWrite = listed.times.lastWrite;
  entry.sha256 = Sha256Of(content.data(), content.size());
  index.Record(entry);
  ASSERT_EQ(index.AppendPending(fs), 0u);

  const auto answer = [](const char* text) {
    return [text](std::string* password) {
      if (text == nullptr) return false;
      *password = text;
      return true;
    };
  };
  std::string out;
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out, answer("pw")), 0);
  EXPECT_EQ(out, "Verified 1 files: 1 sound, 0 damaged, 0 unknown; 0 missing. No damage found.\n");
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out, answer("not pw")), 2);
  EXPECT_EQ(out, "wrong password for the store on F:; nothing was read\n");
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out, answer(nullptr)), 2);
  EXPECT_EQ(out, "the store on F: is encrypted: give its password on standard input\n");
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out), 3);
  EXPECT_EQ(out, "encrypted F:\\QTRPMB\\C\\a.txt.qtrx\nVerified 1 files: 0 sound, 0 damaged, 0 unknown, "
                 "1 encrypted not checked; 0 missing. The store could not be fully verified.\n");
  // One copy of the key check is enough; without both the store's password
  // cannot be checked: not verifiable, whatever is given, and no new key made.
  ASSERT_EQ(fs.RemoveFile(u"F:\\QTRPMB\\~key.bin"), 0u);
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out, answer("pw")), 0);
  ASSERT_EQ(fs.RemoveFile(u"F:\\QTRPMB\\~key.bin"), 0u);
  ASSERT_EQ(fs.RemoveFile(u"F:\\QTRPMB\\~keycopy\\~key.bin"), 0u);
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out, answer("pw")), 2);
  EXPECT_EQ(out.rfind("the store on F: cannot be verified", 0), 0u) << out;
  EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB\\~key.bin"));
}

}  // namespace
}  // namespace qtr
