#include "platform/PathText.h"

#include <gtest/gtest.h>

namespace qtr {
namespace {

TEST(PathText, JoinsWithOneBackslash) {
  EXPECT_EQ(JoinPath(u"C:\\", u"a"), u"C:\\a");
  EXPECT_EQ(JoinPath(u"C:", u"a"), u"C:\\a");
  EXPECT_EQ(JoinPath(u"F:\\QTRPMB\\C", u"a.txt"), u"F:\\QTRPMB\\C\\a.txt");
  EXPECT_EQ(JoinPath(u"", u"a"), u"\\a");
  // A bare name stays bare where the folder is empty.
  EXPECT_EQ(PathInFolder(u"", u"a"), u"a");
  EXPECT_EQ(PathInFolder(u"C:\\", u"dir"), u"C:\\dir");
  EXPECT_EQ(PathInFolder(u"C:\\dir", u"file"), u"C:\\dir\\file");
}

TEST(PathText, SplitsAtTheLastBackslash) {
  EXPECT_EQ(ParentOf(u"F:\\QTRPMB\\C\\a.txt"), u"F:\\QTRPMB\\C");
  EXPECT_EQ(ParentOf(u"C:\\a"), u"C:");
  EXPECT_EQ(ParentOf(u"C:\\dir\\"), u"C:\\dir");
  EXPECT_EQ(ParentOf(u"a"), u"");
  EXPECT_EQ(NameOf(u"F:\\QTRPMB\\C\\a.txt"), u"a.txt");
  EXPECT_EQ(NameOf(u"C:\\dir\\"), u"");
  EXPECT_EQ(NameOf(u"a"), u"a");
  EXPECT_EQ(FolderPartOf(u"C:\\dir\\a.txt"), u"C:\\dir\\");
  EXPECT_EQ(FolderPartOf(u"\\\\server\\share"), u"\\\\server\\");
  EXPECT_EQ(FolderPartOf(u"a"), u"");
}

// The folder refreshed after an entry was renamed or moved away from it.
TEST(PathText, ParentFoldersKeepARootsBackslash) {
  EXPECT_EQ(ParentFolderOf(u"C:\\Docs\\a.txt"), u"C:\\Docs");
  EXPECT_EQ(ParentFolderOf(u"C:\\Docs\\Old\\"), u"C:\\Docs");
  EXPECT_EQ(ParentFolderOf(u"C:\\Docs"), u"C:\\");
  EXPECT_EQ(ParentFolderOf(u"C:\\Docs\\"), u"C:\\");
  EXPECT_EQ(ParentFolderOf(u"C:\\"), u"");
  EXPECT_EQ(ParentFolderOf(u"C:"), u"");
  EXPECT_EQ(ParentFolderOf(u"a"), u"");
  EXPECT_EQ(ParentFolderOf(u""), u"");
}

TEST(PathText, TrailingBackslashes) {
  EXPECT_EQ(WithoutTrailingBackslashes(u"C:\\dir\\\\"), u"C:\\dir");
  EXPECT_EQ(WithoutTrailingBackslashes(u"C:\\"), u"C:\\");
  EXPECT_EQ(WithoutTrailingBackslashes(u"C:\\\\"), u"C:\\");
  EXPECT_EQ(WithoutTrailingBackslashes(u"C:"), u"C:");
  EXPECT_EQ(WithoutTrailingBackslashes(u""), u"");
  EXPECT_EQ(WithTrailingBackslash(u"F:"), u"F:\\");
  EXPECT_EQ(WithTrailingBackslash(u"F:\\"), u"F:\\");
  EXPECT_EQ(WithTrailingBackslash(u""), u"");
}

}  // namespace
}  // namespace qtr
