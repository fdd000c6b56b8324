// qtrpack versions and restore --as-of: their arguments, and the listing a
// person picks a stamp from.
#include "tools/VersionsCommand.h"

#include <gtest/gtest.h>

#include "engine/StoreIndex.h"
#include "support/MemoryFileSystem.h"
#include "tools/ToolArguments.h"

namespace qtr {
namespace {

using Command = ToolRequest::Command;

TEST(VersionsCommandTest, ArgumentsOfVersionsAndOfRestoreAsOf) {
  const ToolRequest all = ParseToolArguments({u"versions", u"--target", u"F:"}, true);
  EXPECT_EQ(all.command, Command::kVersions);
  EXPECT_EQ(all.job.target, u"F:");
  EXPECT_EQ(all.input, u"");
  const ToolRequest below = ParseToolArguments({u"versions", u"C:\\Users\\ann", u"--target", u"F:"}, true);
  EXPECT_EQ(below.command, Command::kVersions);
  EXPECT_EQ(below.input, u"C:\\Users\\ann");
  EXPECT_EQ(ParseToolArguments({u"versions", u"--target", u"F:", u"C:\\a", u"C:\\b"}, true).error,
            "too many arguments: C:\\b");
  EXPECT_EQ(ParseToolArguments({u"versions"}, true).error, "--target needs a drive such as F:");
  EXPECT_EQ(ParseToolArguments({u"versions", u"--target", u"F:", u"--as-of", u"x"}, true).error,
            "versions does not take the option --as-of");
  EXPECT_EQ(ParseToolArguments({u"versions", u"--target", u"F:"}, false).error,
            "versions exists only in the Windows build of qtrpack");

  const ToolRequest asOf = ParseToolArguments(
      {u"restore", u"--target", u"F:", u"--program", u"P", u"--as-of", u"2026-12-09 193800.2"}, true);
  EXPECT_EQ(asOf.command, Command::kRestore);
  EXPECT_EQ(asOf.job.asOfStamp, u"2026-12-09 193800.2");
  const std::string form =
      "--as-of needs a stamp as qtrpack versions lists them, \"YYYY-MM-DD HHMMSS\" such as "
      "\"2026-12-09 193800\" (or \"2026-12-09 193800.2\"), not ";
  EXPECT_EQ(ParseToolArguments({u"restore", u"--target", u"F:", u"--program", u"P", u"--as-of", u"2026-12-09"}, true)
                .error,
            form + "\"2026-12-09\"");
  EXPECT_EQ(ParseToolArguments({u"backup", u"--target", u"F:", u"--program", u"P", u"--as-of", u"2026-12-09 193800"},
                               true)
                .error,
            "backup does not take the option --as-of");
  EXPECT_NE(ToolUsage(true).find("qtrpack versions --target X: [PATH]"), std::string::npos);
  EXPECT_NE(ToolUsage(true).find("[--as-of STAMP]"), std::string::npos);
}

class VersionsListing : public ::testing::Test {
 protected:
  VersionsListing() {
    fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs);
    fs.CreateFolder(u"F:\\QTRPMB");
    fs.PutFile(u"F:\\QTRPMB\\C\\Users\\ann\\a.txt", "current");
    Put(u"2026-12-02 100000\\C\\Users\\ann\\a.txt.zip", "12345");
    Put(u"2026-12-02 100000\\C\\Users\\bob\\b.txt", "123");
    Put(u"2026-12-03 090000\\C\\Users\\ann\\a.txt", "1234567");
    Put(u"2026-12-03 090000\\D\\Photos\\p.jpg", "12");
    Put(u"2026-12-03 090000.2\\C\\Users\\ann\\notes\\n.txt.qtrx", "1");
    // Not a stamp, and a file directly in a stamp folder: neither is a version.
    Put(u"old\\C\\x.txt", "x");
    Put(u"2026-12-03 090000\\stray.txt", "x");
  }
  void Put(std::u16string_view below, const std::string& bytes) {
    ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\~versions\\" + std::u16string(below), bytes));
  }
  std::string List(const std::u16string& below, int status = 0) {
    std::string out;
    EXPECT_EQ(VersionsCommand(fs, u"F:", below, &out), status) << out;
    return out;
  }
  MemoryFileSystem fs;
};

TEST_F(VersionsListing, EveryVersionFolderNewestFirstWithEachFilesSizeAndSource) {
  EXPECT_EQ(List(u""),
            "2026-12-03 090000.2\n"
            "           1  C:\\Users\\ann\\notes\\n.txt\n"
            "2026-12-03 090000\n"
            "           7  C:\\Users\\ann\\a.txt\n"
            "           2  D:\\Photos\\p.jpg\n"
            "2026-12-02 100000\n"
            "           5  C:\\Users\\ann\\a.txt\n"
            "           3  C:\\Users\\bob\\b.txt\n"
            "5 previous versions from 3 backups; restore --as-of STAMP restores the store as it stood when that "
            "backup started\n");
}

// A source path, a stored path in another form than the version's, a version's own path.
TEST_F(VersionsListing, APathKeepsWhatLiesAtOrBelowIt) {
  const std::string ann =
      "2026-12-03 090000.2\n"
      "           1  C:\\Users\\ann\\notes\\n.txt\n"
      "2026-12-03 090000\n"
      "           7  C:\\Users\\ann\\a.txt\n"
      "2026-12-02 100000\n"
      "           5  C:\\Users\\ann\\a.txt\n"
      "3 previous versions of ";
  EXPECT_EQ(List(u"C:\\Users\\ann"), ann + "C:\\Users\\ann from 3 backups; restore --as-of STAMP restores the store "
                                           "as it stood when that backup started\n");
  EXPECT_EQ(List(u"c:\\users\\ANN\\"), ann + "c:\\users\\ANN\\ from 3 backups; restore --as-of STAMP restores the "
                                             "store as it stood when that backup started\n");
  const std::string a =
      "2026-12-03 090000\n"
      "           7  C:\\Users\\ann\\a.txt\n"
      "2026-12-02 100000\n"
      "           5  C:\\Users\\ann\\a.txt\n"
      "2 previous versions of ";
  EXPECT_EQ(List(u"F:\\QTRPMB\\C\\Users\\ann\\a.txt.zip").substr(0, a.size()), a);
  EXPECT_EQ(List(u"F:\\QTRPMB\\~versions\\2026-12-02 100000\\C\\Users\\ann\\a.txt.zip").substr(0, a.size()), a);
  EXPECT_EQ(List(u"C:\\Users\\ann\\a.txt").substr(0, a.size()), a);
  // "C:\Users\an" is no folder of anything listed.
  EXPECT_EQ(List(u"C:\\Users\\an"), "no previous versions of C:\\Users\\an in F:\\QTRPMB\\~versions\n");
}

TEST_F(VersionsListing, NoStoreNoVersionsAndAPathOfNeitherKind) {
  EXPECT_EQ(List(u"Users\\ann", 2),
            "Users\\ann is neither a source path such as C:\\Users\\ann nor a stored path such as "
            "F:\\QTRPMB\\C\\Users\\ann\n");
  EXPECT_EQ(List(u"F:\\QTRPMB\\~index", 2).substr(0, 20), "F:\\QTRPMB\\~index is ");
  std::string out;
  fs.AddVolume(u'G', MemoryFileSystem::Kind::kNtfs);
  EXPECT_EQ(VersionsCommand(fs, u"G:", u"", &out), 2);
  EXPECT_EQ(out, "no store on G: (G:\\QTRPMB is not a folder)\n");
  fs.CreateFolder(u"G:\\QTRPMB");
  EXPECT_EQ(VersionsCommand(fs, u"G:", u"", &out), 0);
  EXPECT_EQ(out, "no previous versions in G:\\QTRPMB\\~versions\n");
}

}  // namespace
}  // namespace qtr
