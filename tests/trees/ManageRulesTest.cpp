#include <gtest/gtest.h>

#include <set>
#include <string>

#include "trees/DropRules.h"
#include "trees/ManageRules.h"

namespace qtr {
namespace {

TEST(ManageRules, DriveDataCarriesTheLetterAndTheMissingFileSystem) {
  EXPECT_EQ(ManageDriveData('C', false), 0x4300u);
  EXPECT_EQ(ManageDriveData('M', true), 0x4D02u);
  EXPECT_EQ(DriveLetterOfData(0x4D02u), 'M');
  // A letter above 0x7F in the ANSI code page stays one unsigned byte.
  EXPECT_EQ(ManageDriveData(static_cast<char>(0xC4), false), 0xC400u);
}

TEST(ManageRules, TheComputerLeavesOutEntriesWithoutPathAndTheDocumentsFolders) {
  EXPECT_TRUE(SkipsComputerChild(u""));
  EXPECT_TRUE(SkipsComputerChild(u"C:\\users\\ann\\My Documents"));
  EXPECT_TRUE(SkipsComputerChild(u"C:\\users\\ann\\my documents\\"));
  EXPECT_TRUE(SkipsComputerChild(u"c:\\documents and settings\\all users\\documents"));
  EXPECT_FALSE(SkipsComputerChild(u"C:\\"));
  EXPECT_FALSE(SkipsComputerChild(u"D:\\Documents and Settings\\All Users\\Documents"));
  EXPECT_FALSE(SkipsComputerChild(u"C:\\users\\ann\\My Documents old"));
}

TEST(ManageRules, PasswordEntriesFollowTheDiskState) {
  auto enabled = [](bool has, bool unlocked) {
    std::u16string flags;
    for (const auto& entry : PasswordMenuEntries(has, unlocked)) flags += entry.enabled ? u'1' : u'0';
    return flags;
  };
  EXPECT_EQ(enabled(false, false), u"1001");
  EXPECT_EQ(enabled(false, true), u"1001");
  EXPECT_EQ(enabled(true, true), u"0111");
  EXPECT_EQ(enabled(true, false), u"0011");
  const auto entries = PasswordMenuEntries(false, false);
  EXPECT_EQ(entries[0].text, u"设定密码");
  EXPECT_EQ(entries[1].text, u"锁定");
  EXPECT_EQ(entries[2].text, u"重置密码");
  EXPECT_EQ(entries[3].id, 103u);
  EXPECT_TRUE(IsPasswordCommand(101));
  EXPECT_FALSE(IsPasswordCommand(103));
}

TEST(ManageRules, RenameVerbAndNewNames) {
  EXPECT_TRUE(IsRenameVerb(u"rename"));
  EXPECT_TRUE(IsRenameVerb(u"ReNaMe"));
  EXPECT_FALSE(IsRenameVerb(u"renames"));
  EXPECT_FALSE(IsRenameVerb(u"delete"));

  EXPECT_EQ(CheckNewName(u"a.txt", u"b.txt"), NewNameCheck::Accepted);
  EXPECT_EQ(CheckNewName(u"a.txt", u".profile"), NewNameCheck::Accepted);
  EXPECT_EQ(CheckNewName(u"a.txt", u"a.txt"), NewNameCheck::Unchanged);
  EXPECT_EQ(CheckNewName(u"a.txt", u""), NewNameCheck::Empty);
  EXPECT_EQ(CheckNewName(u"a.txt", u" . "), NewNameCheck::Empty);
  for (std::u16string bad : {u"x\\y", u"x/y", u"c:y", u"a*", u"a?", u"\"a\"", u"<a>", u"a|b", u"a\tb"})
    EXPECT_EQ(CheckNewName(u"a.txt", bad), NewNameCheck::BadCharacter) << std::string(bad.begin(), bad.end());

  EXPECT_EQ(RenamedPath(u"C:\\dir\\a.txt", u"b.txt"), u"C:\\dir\\b.txt");
  EXPECT_EQ(RenamedPath(u"C:\\dir\\", u"new"), u"C:\\new");
  EXPECT_EQ(RenamedPath(u"C:\\a", u"b"), u"C:\\b");
}

TEST(DropRules, EffectByDraggedItemAndKeys) {
  EXPECT_EQ(DropEffectFor(false, 0), kDropMove);
  EXPECT_EQ(DropEffectFor(false, kKeyControl), kDropCopy);
  EXPECT_EQ(DropEffectFor(false, kKeyAlt), kDropLink);
  EXPECT_EQ(DropEffectFor(false, kKeyAlt | kKeyControl), kDropLink);
  EXPECT_EQ(DropEffectFor(true, 0), kDropLink);
  EXPECT_EQ(DropEffectFor(true, kKeyControl), kDropLink);
}

TEST(DropRules, ADropNeverLandsOnItselfOrBelowItself) {
  EXPECT_TRUE(DropAllowed(u"C:\\a", u"D:\\", kDropMove));
  EXPECT_TRUE(DropAllowed(u"C:\\a", u"C:\\ab", kDropCopy));
  EXPECT_FALSE(DropAllowed(u"C:\\a", u"", kDropCopy));
  EXPECT_FALSE(DropAllowed(u"", u"D:\\", kDropCopy));
  EXPECT_FALSE(DropAllowed(u"C:\\a", u"C:\\A", kDropCopy));
  EXPECT_FALSE(DropAllowed(u"C:\\a", u"C:\\a\\b", kDropMove));
  // Into the folder it stands in: the shell would copy it onto itself.
  EXPECT_FALSE(DropAllowed(u"C:\\a\\f.txt", u"C:\\a", kDropMove));
  EXPECT_FALSE(DropAllowed(u"C:\\a", u"C:\\", kDropCopy));
  // A shortcut may go anywhere, also beside what it points at.
  EXPECT_TRUE(DropAllowed(u"C:\\a\\f.txt", u"C:\\a", kDropLink));
  EXPECT_TRUE(DropAllowed(u"M:\\", u"M:\\", kDropLink));
}

TEST(DropRules, ShortcutNames) {
  EXPECT_EQ(ShortcutFileName(u"Local Disk (C:)", true), u"Local Disk (C).lnk");
  EXPECT_EQ(ShortcutFileName(u"QTR (M:)", true), u"QTR (M).lnk");
  EXPECT_EQ(ShortcutFileName(u"report.txt", false), u"report.txt.lnk");
  EXPECT_EQ(ShortcutFileName(u"a:b (M:)", true), u"ab (M).lnk");

  std::set<std::u16string> taken{u"D:\\x\\report.txt.lnk", u"D:\\x\\report.txt (2).lnk"};
  const auto exists = [&](const std::u16string& path) { return taken.count(path) != 0; };
  EXPECT_EQ(FreeShortcutPath(u"D:\\x", u"other.lnk", exists), u"D:\\x\\other.lnk");
  EXPECT_EQ(FreeShortcutPath(u"D:\\x", u"report.txt.lnk", exists), u"D:\\x\\report.txt (3).lnk");
  EXPECT_EQ(FreeShortcutPath(u"D:\\", u"a.lnk", [](const std::u16string&) { return true; }), u"");
}

TEST(DropRules, HoverOpensAfter800MillisecondsOverTheSameItem) {
  HoverTimer hover;
  EXPECT_FALSE(hover.Over(7, 1000));
  EXPECT_FALSE(hover.Over(7, 1799));
  EXPECT_TRUE(hover.Over(7, 1800));
  // Another item starts the timing again.
  EXPECT_FALSE(hover.Over(8, 1900));
  EXPECT_FALSE(hover.Over(8, 2600));
  EXPECT_TRUE(hover.Over(8, 2700));
  // Empty area never opens anything; the tick count may wrap.
  EXPECT_FALSE(hover.Over(kNoItem, 3000));
  EXPECT_FALSE(hover.Over(kNoItem, 9000));
  hover.Reset();
  EXPECT_FALSE(hover.Over(9, 0xFFFFFF00u));
  EXPECT_TRUE(hover.Over(9, 0x300u));
}

TEST(DropRules, AutoScrollNearTheEdges) {
  auto step = [](int x, int y) {
    const ScrollStep s = AutoScrollFor(x, y, 200, 100);
    return std::pair{s.vertical, s.horizontal};
  };
  EXPECT_EQ(step(100, 50), (std::pair{0, 0}));
  EXPECT_EQ(step(100, 95), (std::pair{1, 0}));
  EXPECT_EQ(step(100, 3), (std::pair{-1, 0}));
  EXPECT_EQ(step(2, 50), (std::pair{0, -1}));
  EXPECT_EQ(step(195, 95), (std::pair{1, 1}));
  EXPECT_EQ(step(10, 10), (std::pair{0, 0}));
}

}  // namespace
}  // namespace qtr
