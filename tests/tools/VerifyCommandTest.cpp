// qtrpack verify: its arguments, its findings as printed and its exit codes.
#include "tools/VerifyCommand.h"

#include <gtest/gtest.h>

#include "crypto/Sha256.h"
#include "engine/StoreIndex.h"
#include "platform/MemoryFileSystem.h"
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
  ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\C\\old.txt", "from before the index"));
  std::string out;
  EXPECT_EQ(VerifyCommand(fs, u"F:", &out), 0);
  EXPECT_EQ(out,
            "unknown F:\\QTRPMB\\C\\old.txt\n"
            "Verified 1 files: 0 damaged, 0 missing, 1 unknown.\n");
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
            "Verified 1 files: 1 damaged, 1 missing, 0 unknown.\n");

  EXPECT_EQ(VerifyCommand(fs, u"G:", &out), 2);
  EXPECT_EQ(out, "no store on G: (G:\\QTRPMB is not a folder)\n");
}

}  // namespace
}  // namespace qtr
