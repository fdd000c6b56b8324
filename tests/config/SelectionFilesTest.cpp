#include <gtest/gtest.h>

#include <map>
#include <set>

#include "config/PathList.h"
#include "config/SelectionFiles.h"
#include "config/SelectionPath.h"
#include "config/SelectionStates.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
using Paths = std::vector<std::u16string>;

// The source tree's items below each folder.
ChildrenOf TreeOf(std::map<std::u16string, Paths> folders) {
  return [folders = std::move(folders)](const std::u16string& folder) {
    const auto it = folders.find(folder);
    return it == folders.end() ? Paths{} : it->second;
  };
}

const ChildrenOf kNoChildren = TreeOf({});

class SelectionFilesTest : public ::testing::Test {
 protected:
  SelectionFiles Files() const { return SelectionFiles(temp_.File(u"")); }
  std::string StateBytes() const { return ReadBytes(Files().CheckStatePath()); }
  std::string TopmostBytes() const { return ReadBytes(Files().BackupPathsPath()); }
  Paths Topmost() const { return ReadPathList(Files().BackupPathsPath()); }
  Paths Checked() const { return ReadCheckedPaths(Files().CheckStatePath()); }
  void Check(const std::u16string& path) const {
    ASSERT_TRUE(Files().ApplyCheckChange(path, CheckState::kChecked, kNoChildren));
  }
  void Uncheck(const std::u16string& path, const ChildrenOf& tree = kNoChildren) const {
    ASSERT_TRUE(Files().ApplyCheckChange(path, CheckState::kUnchecked, tree));
  }

  TempFolder temp_;
};

TEST_F(SelectionFilesTest, CheckingWritesNestedStatesAndTheTopmostPath) {
  Check(u"C:\\Data\\Photos");
  EXPECT_EQ(StateBytes(),
            "<filepath>\r\n"
            "<path path=\"C:\\\">\r\n"
            "<path path=\"C:\\Data\">\r\n"
            "<path path=\"C:\\Data\\Photos\"/>\r\n"
            "</path>\r\n"
            "</path>\r\n"
            "</filepath>\r\n");
  EXPECT_EQ(TopmostBytes(), "<filepath>\r\n<path path=\"C:\\Data\\Photos\"/>\r\n</filepath>\r\n");

  Check(u"C:\\Data\\Music");
  Check(u"D:\\");
  EXPECT_EQ(StateBytes(),
            "<filepath>\r\n"
            "<path path=\"C:\\\">\r\n"
            "<path path=\"C:\\Data\">\r\n"
            "<path path=\"C:\\Data\\Photos\"/>\r\n"
            "<path path=\"C:\\Data\\Music\"/>\r\n"
            "</path>\r\n"
            "</path>\r\n"
            "<path path=\"D:\\\"/>\r\n"
            "</filepath>\r\n");
  EXPECT_EQ(Topmost(), (Paths{u"C:\\Data\\Photos", u"C:\\Data\\Music", u"D:\\"}));
}

TEST_F(SelectionFilesTest, CheckingAFolderReplacesWhatWasCheckedInsideIt) {
  Check(u"C:\\Data\\Photos");
  Check(u"C:\\Data\\Music\\Live");
  Check(u"C:\\Other");
  Check(u"c:\\data");  // the file system ignores case, and so does the selection
  EXPECT_EQ(Topmost(), (Paths{u"C:\\Other", u"c:\\data"}));
  EXPECT_EQ(Checked(), (Paths{u"C:\\Other", u"c:\\data"}));
  Check(u"C:\\Data\\Photos");  // already inside a checked folder
  EXPECT_EQ(Topmost(), (Paths{u"C:\\Other", u"c:\\data"}));
}

TEST_F(SelectionFilesTest, UncheckingDropsTheItemAndFoldersLeftEmpty) {
  Check(u"C:\\Data\\Photos\\2025");
  Check(u"C:\\Data\\Music");
  Uncheck(u"C:\\Data\\Photos\\2025");
  // C:\Data\Photos must not stay behind as an element without children:
  // that would read back as a fully checked folder.
  EXPECT_EQ(
      StateBytes(),
      "<filepath>\r\n<path path=\"C:\\\">\r\n<path path=\"C:\\Data\">\r\n<path path=\"C:\\Data\\Music\"/>\r\n"
      "</path>\r\n</path>\r\n</filepath>\r\n");
  Uncheck(u"C:\\Data");
  EXPECT_EQ(StateBytes(), "<filepath>\r\n</filepath>\r\n");
  EXPECT_EQ(TopmostBytes(), "<filepath>\r\n</filepath>\r\n");
}

TEST_F(SelectionFilesTest, UncheckingInsideACheckedFolderKeepsTheRestChecked) {
  Check(u"C:\\Data");
  const ChildrenOf tree = TreeOf({
      {u"C:\\Data", {u"C:\\Data\\Music", u"C:\\Data\\Photos", u"C:\\Data\\notes.txt"}},
      {u"C:\\Data\\Photos", {u"C:\\Data\\Photos\\2024", u"C:\\Data\\Photos\\2025"}},
  });
  Uncheck(u"C:\\Data\\Photos\\2025", tree);
  EXPECT_EQ(Topmost(), (Paths{u"C:\\Data\\Music", u"C:\\Data\\notes.txt", u"C:\\Data\\Photos\\2024"}));
  SelectionStates states;
  ASSERT_TRUE(states.Load(Files().CheckStatePath()));
  EXPECT_EQ(states.StateOf(u"C:\\Data"), CheckState::kPartlyChecked);
  EXPECT_EQ(states.StateOf(u"C:\\Data\\Photos"), CheckState::kPartlyChecked);
  EXPECT_EQ(states.StateOf(u"C:\\Data\\Photos\\2025"), CheckState::kUnchecked);
  EXPECT_EQ(states.StateOf(u"C:\\Data\\Photos\\2024\\a.jpg"), CheckState::kChecked);
  EXPECT_EQ(states.StateOf(u"C:\\Data\\Music"), CheckState::kChecked);

  // The only item of a checked folder: the folder ends unchecked.
  Check(u"E:\\Solo");
  Uncheck(u"E:\\Solo\\only", TreeOf({{u"E:\\Solo", {u"E:\\Solo\\only"}}}));
  EXPECT_EQ(Topmost(), (Paths{u"C:\\Data\\Music", u"C:\\Data\\notes.txt", u"C:\\Data\\Photos\\2024"}));
}

TEST_F(SelectionFilesTest, PartlyCheckedChangesNothingAndUncheckingTheUnknownIsHarmless) {
  Check(u"C:\\Data");
  const std::string before = StateBytes();
  ASSERT_TRUE(Files().ApplyCheckChange(u"C:\\Data", CheckState::kPartlyChecked, kNoChildren));
  Uncheck(u"D:\\Elsewhere");
  EXPECT_EQ(StateBytes(), before);
}

TEST_F(SelectionFilesTest, StatesReadBackFromTheFile) {
  Check(u"C:\\Data\\Photos");
  SelectionStates states;
  ASSERT_TRUE(states.Load(Files().CheckStatePath()));
  EXPECT_EQ(states.StateOf(u"C:\\"), CheckState::kPartlyChecked);
  EXPECT_EQ(states.StateOf(u"C:\\Data"), CheckState::kPartlyChecked);
  EXPECT_EQ(states.StateOf(u"C:\\Data\\Photos"), CheckState::kChecked);
  EXPECT_EQ(states.StateOf(u"c:\\data\\photos\\x.jpg"), CheckState::kChecked);
  EXPECT_EQ(states.StateOf(u"C:\\Data\\PhotosOld"), CheckState::kUnchecked);
  EXPECT_EQ(states.StateOf(u"D:\\"), CheckState::kUnchecked);
  EXPECT_FALSE(states.Load(temp_.File(u"missing.xml")));
  EXPECT_EQ(states.StateOf(u"C:\\Data\\Photos"), CheckState::kUnchecked);
}

TEST_F(SelectionFilesTest, PathsWithMarkupCharactersRoundTrip) {
  const Paths paths{u"C:\\Tom & Jerry", u"C:\\<odd> \"quoted\" 'name'",
                    u"C:\\\u4E2D\u6587\u6587\u4EF6\u5939"};
  for (const auto& p : paths) Check(p);
  EXPECT_NE(TopmostBytes().find("<path path=\"C:\\Tom &amp; Jerry\"/>"), std::string::npos);
  EXPECT_EQ(Topmost(), paths);
  EXPECT_EQ(Checked(), paths);

  ASSERT_TRUE(WritePathList(temp_.File(u"restoreTempPath.xml"), paths));
  EXPECT_EQ(ReadPathList(temp_.File(u"restoreTempPath.xml")), paths);
}

TEST_F(SelectionFilesTest, PruningDropsPathsThatNoLongerExistFromBothFiles) {
  Check(u"C:\\Kept");
  Check(u"C:\\Data\\Gone");
  Check(u"C:\\Data\\Stays");
  Check(u"F:\\");
  const std::set<std::u16string> existing{u"C:\\Kept", u"C:\\Data\\Stays"};
  ASSERT_TRUE(Files().Prune([&](const std::u16string& p) { return existing.contains(p); }));
  EXPECT_EQ(Topmost(), (Paths{u"C:\\Kept", u"C:\\Data\\Stays"}));
  EXPECT_EQ(Checked(), (Paths{u"C:\\Kept", u"C:\\Data\\Stays"}));

  ASSERT_TRUE(Files().Prune([](const std::u16string&) { return false; }));
  EXPECT_EQ(TopmostBytes(), "<filepath>\r\n</filepath>\r\n");
  EXPECT_EQ(StateBytes(), "<filepath>\r\n</filepath>\r\n");
}

TEST_F(SelectionFilesTest, DamagedFilesReadAsEmptyAndAreRewrittenOnTheNextChange) {
  const std::string cases[] = {
      "",
      "<filepath>\r\n<path path=\"C:\\a\"/>\r\n<path path=\"C:\\b",
      std::string("\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01", 12),
      "<filepath><path path=\"C:\\a\"></filepath>",
      "<filepath/><filepath/>",
      "<filepath>" + std::string(200'000, '<'),
  };
  for (const std::string& bytes : cases) {
    WriteBytes(Files().BackupPathsPath(), bytes);
    WriteBytes(Files().CheckStatePath(), bytes);
    EXPECT_EQ(Topmost(), Paths{});
    EXPECT_EQ(Checked(), Paths{});
    EXPECT_FALSE(Files().Prune([](const std::u16string&) { return false; }));
    Check(u"C:\\New");
    EXPECT_EQ(Topmost(), Paths{u"C:\\New"});
    EXPECT_EQ(Checked(), Paths{u"C:\\New"});
  }
}

TEST_F(SelectionFilesTest, HandEditedFilesAreNormalisedNotTrusted) {
  // Repeats, a path inside another and one without its folders around it.
  WriteBytes(Files().BackupPathsPath(),
             "<filepath>\r\n<path path=\"C:\\a\"/>\r\n<path path=\"C:\\a\\b\"/>\r\n<path path=\"C:\\a\"/>\r\n"
             "<path/>\r\n</filepath>\r\n");
  WriteBytes(Files().CheckStatePath(), "<filepath>\r\n<path path=\"C:\\a\"/>\r\n</filepath>\r\n");
  Check(u"D:\\x");
  EXPECT_EQ(Topmost(), (Paths{u"C:\\a", u"D:\\x"}));
  EXPECT_EQ(Checked(), (Paths{u"C:\\a", u"D:\\x"}));
}

TEST_F(SelectionFilesTest, TenThousandPathsAreWrittenAndReadBack) {
  Paths paths;
  for (int i = 0; i < 10000; ++i) {
    paths.push_back(u"C:\\Users\\me\\Documents\\Folder " +
                    std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"\\item & " +
                    std::u16string(i % 7 + 1, u'x') + u" " +
                    std::u16string(1, static_cast<char16_t>(0x4E00 + i)));
  }
  ASSERT_TRUE(WritePathList(Files().BackupPathsPath(), paths));
  ASSERT_TRUE(WriteCheckedPaths(Files().CheckStatePath(), paths));
  EXPECT_EQ(Topmost(), paths);
  EXPECT_EQ(Checked().size(), paths.size());

  Uncheck(u"C:\\Users\\me\\Documents\\Folder B");
  Paths expected;
  for (const auto& p : paths)
    if (p.find(u"Folder B\\") == std::u16string::npos) expected.push_back(p);
  EXPECT_EQ(Topmost(), expected);
  EXPECT_EQ(Checked().size(), expected.size());
}

TEST(SelectionPathTest, FoldersAboveAPath) {
  EXPECT_EQ(AncestorsOf(u"C:\\"), Paths{});
  EXPECT_EQ(AncestorsOf(u"C:\\a"), Paths{u"C:\\"});
  EXPECT_EQ(AncestorsOf(u"C:\\a\\b.txt"), (Paths{u"C:\\", u"C:\\a"}));
  EXPECT_EQ(AncestorsOf(u"\\\\server\\share\\x"), (Paths{u"\\\\server", u"\\\\server\\share"}));
  EXPECT_TRUE(IsBelow(u"C:\\a\\b", u"C:\\"));
  EXPECT_TRUE(IsBelow(u"C:\\A\\b", u"c:\\a"));
  EXPECT_FALSE(IsBelow(u"C:\\ab", u"C:\\a"));
  EXPECT_FALSE(IsBelow(u"C:\\a", u"C:\\a"));
  EXPECT_FALSE(IsBelow(u"C:\\a", u""));
}

}  // namespace
}  // namespace qtr
