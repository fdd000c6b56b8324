#include <gtest/gtest.h>

#include "trees/MemoryTreeItems.h"
#include "trees/TreePaths.h"

namespace qtr {
namespace {

using test::MemoryTreeItems;

TEST(TreePathsTest, PathsAreBuiltFromTheDriveDown) {
  MemoryTreeItems items;
  const TreeItem root = items.Folder(kNoItem, u"My Computer");
  const TreeItem c = items.Folder(root, u"C:\\");
  const TreeItem docs = items.Folder(c, u"Docs");
  const TreeItem file = items.File(docs, u"a b.txt");
  const TreeItem unread = items.Unread(docs, u"Later");
  EXPECT_EQ(ItemPath(items, root), u"");
  EXPECT_EQ(ItemPath(items, c), u"C:\\");
  EXPECT_EQ(ItemPath(items, file), u"C:\\Docs\\a b.txt");

  EXPECT_EQ(FindItemByPath(items, root, u"c:\\docs\\A B.TXT"), file);
  EXPECT_EQ(FindItemByPath(items, root, u"C:\\Docs\\"), docs);
  EXPECT_EQ(FindItemByPath(items, root, u"C:"), c);
  EXPECT_EQ(FindItemByPath(items, root, u"C:\\Docs\\Later"), unread);
  // Inside a folder not read yet nothing is shown.
  EXPECT_EQ(FindItemByPath(items, root, u"C:\\Docs\\Later\\x"), kNoItem);
  EXPECT_EQ(FindItemByPath(items, root, u"D:\\Docs"), kNoItem);
  EXPECT_EQ(FindItemByPath(items, root, u"Docs"), kNoItem);

  EXPECT_EQ(ChildPaths(items, docs), (std::vector<std::u16string>{u"C:\\Docs\\a b.txt", u"C:\\Docs\\Later"}));
  EXPECT_EQ(ChildPaths(items, unread), std::vector<std::u16string>{});
}

TEST(TreePathsTest, AnItemNamedForTwoFoldersIsFoundByEither) {
  MemoryTreeItems items;
  const TreeItem m = items.Folder(kNoItem, u"M:\\");
  const TreeItem store = items.Folder(m, u"QTRPMB");
  const TreeItem stamp = items.Folder(store, u"~versions\\2026-12-09 193800");
  const TreeItem c = items.Folder(stamp, u"C");
  EXPECT_EQ(ItemPath(items, c), u"M:\\QTRPMB\\~versions\\2026-12-09 193800\\C");
  EXPECT_EQ(FindItemByPath(items, kNoItem, u"M:\\QTRPMB\\~versions\\2026-12-09 193800"), stamp);
  EXPECT_EQ(FindItemByPath(items, kNoItem, u"m:\\qtrpmb\\~VERSIONS\\2026-12-09 193800\\c\\"), c);
  // The first folder alone is no item.
  EXPECT_EQ(FindItemByPath(items, kNoItem, u"M:\\QTRPMB\\~versions"), kNoItem);
  EXPECT_EQ(FindItemByPath(items, kNoItem, u"M:\\QTRPMB\\~versions\\2026-12-10 080000"), kNoItem);
}

TEST(TreePathsTest, DriveRoots) {
  EXPECT_TRUE(IsDriveRoot(u"C:\\"));
  EXPECT_TRUE(IsDriveRoot(u"e:"));
  EXPECT_FALSE(IsDriveRoot(u"C:\\x"));
  EXPECT_FALSE(IsDriveRoot(u"1:\\"));
  EXPECT_EQ(DriveRootOf(u"e:\\dir"), u"E:\\");
  EXPECT_EQ(DriveRootOf(u"E:"), u"E:\\");
  EXPECT_EQ(DriveRootOf(u"E:dir"), u"");
  EXPECT_EQ(DriveRootOf(u"\\\\server\\share"), u"");
}

}  // namespace
}  // namespace qtr
