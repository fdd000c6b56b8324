// What qtrpack makes of its command line: requests, and the reason for every refusal.
#include "tools/ToolArguments.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

using Command = ToolRequest::Command;

ToolRequest Parse(std::vector<std::u16string> args, bool jobs = true) {
  return ParseToolArguments(args, jobs);
}

TEST(ToolArgumentsTest, HelpIsAskedForWithEitherSpelling) {
  EXPECT_EQ(Parse({u"--help"}).command, Command::kHelp);
  EXPECT_EQ(Parse({u"-h"}).command, Command::kHelp);
  EXPECT_EQ(Parse({u"pack", u"--help"}).command, Command::kHelp);
}

TEST(ToolArgumentsTest, PackAndUnpackTakeTwoFilesAndPackAThreadCount) {
  const ToolRequest pack = Parse({u"pack", u"-j", u"3", u"in", u"out"});
  ASSERT_EQ(pack.command, Command::kPack) << pack.error;
  EXPECT_EQ(pack.threads, 3u);
  EXPECT_EQ(pack.input, u"in");
  EXPECT_EQ(pack.output, u"out");
  const ToolRequest unpack = Parse({u"unpack", u"in.zip", u"out"}, false);
  ASSERT_EQ(unpack.command, Command::kUnpack) << unpack.error;
  EXPECT_EQ(unpack.threads, 0u);
}

TEST(ToolArgumentsTest, ABackupStoresReadableCopiesInAnEncryptedStoreOnlyWhenTold) {
  const ToolRequest plain = Parse({u"backup", u"--target", u"F:", u"--program", u"P"}, true);
  ASSERT_EQ(plain.command, Command::kBackup) << plain.error;
  EXPECT_FALSE(plain.job.storeReadable);
  const ToolRequest told = Parse({u"backup", u"--store-readable", u"--target", u"F:", u"--program", u"P"}, true);
  ASSERT_EQ(told.command, Command::kBackup) << told.error;
  EXPECT_TRUE(told.job.storeReadable);
}

// crypto: encrypt and decrypt.
TEST(ToolArgumentsTest, EncryptAndDecryptNeedTheKeyFileAndTwoFiles) {
  const ToolRequest encrypt = Parse({u"encrypt", u"in", u"--key-file", u"k", u"out"}, false);
  ASSERT_EQ(encrypt.command, Command::kEncrypt) << encrypt.error;
  EXPECT_EQ(encrypt.keyFile, u"k");
  EXPECT_EQ(encrypt.input, u"in");
  EXPECT_EQ(encrypt.output, u"out");
  EXPECT_EQ(Parse({u"decrypt", u"--key-file", u"k", u"in", u"out"}).command, Command::kDecrypt);
  // Without --key-file the command looks for the store's own key check file.
  EXPECT_EQ(Parse({u"decrypt", u"in", u"out"}).command, Command::kDecrypt);
  EXPECT_EQ(Parse({u"decrypt", u"in", u"out"}).keyFile, u"");
  EXPECT_EQ(Parse({u"encrypt", u"in", u"out", u"--key-file"}).error, "--key-file needs the path of the key check file");
  EXPECT_EQ(Parse({u"encrypt", u"--key-file", u"k", u"in"}).error, "encrypt needs IN and OUT");
  EXPECT_EQ(Parse({u"encrypt", u"-j", u"2", u"in", u"out"}).error, "encrypt does not take the option -j");
}

TEST(ToolArgumentsTest, EachRefusalSaysWhatIsWrong) {
  const struct {
    std::vector<std::u16string> args;
    bool jobs;
    const char* error;
  } cases[] = {
      {{}, true, "no command"},
      {{u"pack", u"in"}, true, "pack needs IN and OUT"},
      {{u"pack", u"a", u"b", u"c"}, true, "too many arguments: c"},
      {{u"unpack", u"-j", u"2", u"a", u"b"}, true, "unpack does not take the option -j"},
      {{u"pack", u"--filter", u"jpg", u"a", u"b"}, true, "pack does not take the option --filter"},
      {{u"pack", u"-j", u"0", u"a", u"b"}, true, "-j needs a number of threads from 1 to 99, not 0"},
      {{u"pack", u"a", u"b", u"-j"}, true, "-j needs a number of threads"},
      {{u"restore", u"--target", u"F:", u"--program", u"P", u"--filter", u"jpg"},
       true,
       "restore does not take the option --filter"},
      {{u"backup", u"--target", u"F:", u"--program", u"P", u"extra"}, true, "too many arguments: extra"},
      {{u"restore", u"--target", u"F:", u"--program", u"P", u"--store-readable"},
       true,
       "restore does not take the option --store-readable"},
      {{u"backup", u"--target", u"--program", u"P"}, true, "--target needs a value"},
      {{u"backup", u"--target", u"F", u"--program", u"P"}, true, "--target needs a drive such as F:"},
      {{u"backup", u"--target", u"1:", u"--program", u"P"}, true, "--target needs a drive such as F:"},
      {{u"verify", u"--target", u"1:"}, true, "--target needs a drive such as F:"},
      {{u"backup", u"--target", u"F:"}, true, "--program needs the folder of init.xml"},
      {{u"backup", u"--target", u"F:", u"--program", u"P", u"-j", u"x"},
       true,
       "-j needs a number of threads from 1 to 99, not x"},
      {{u"restore", u"--target", u"F:", u"--program", u"P", u"-j", u"2"},
       true,
       "restore does not take the option -j"},
      {{u"backup", u"--target", u"F:", u"--program", u"P"},
       false,
       "backup exists only in the Windows build of qtrpack"},
      {{u"restore"}, false, "restore exists only in the Windows build of qtrpack"},
      {{u"compress", u"a", u"b"}, true, "unknown command compress"},
  };
  for (const auto& c : cases) {
    const ToolRequest request = Parse(c.args, c.jobs);
    EXPECT_EQ(request.command, Command::kUsageError) << c.error;
    EXPECT_EQ(request.error, c.error);
  }
}

TEST(ToolArgumentsTest, BackupCarriesItsOptionsAndTheUsageNamesTheSelectionFiles) {
  const ToolRequest backup =
      Parse({u"backup", u"--program", u"C:\\P", u"--target", u"F:", u"--filter", u"jpg, png"});
  ASSERT_EQ(backup.command, Command::kBackup) << backup.error;
  EXPECT_FALSE(backup.job.restore);
  EXPECT_EQ(backup.job.target, u"F:");
  EXPECT_EQ(backup.job.programFolder, u"C:\\P");
  EXPECT_EQ(backup.job.typeFilter, u"jpg, png");
  EXPECT_EQ(backup.job.threads, 0u);
  EXPECT_EQ(Parse({u"backup", u"-j", u"1", u"--target", u"F:", u"--program", u"P"}).job.threads, 1u);
  EXPECT_TRUE(Parse({u"restore", u"--target", u"F:", u"--program", u"P"}).job.restore);

  const std::string usage = ToolUsage(true);
  EXPECT_NE(usage.find("FOLDER\\backupfullpath.xml"), std::string::npos);
  EXPECT_NE(usage.find("FOLDER\\restoreTempPath.xml"), std::string::npos);
  EXPECT_NE(ToolUsage(false).find("only in the Windows build"), std::string::npos);
}

}  // namespace
}  // namespace qtr
