#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "trees/DiskItems.h"
#include "trees/FolderFilter.h"
#include "trees/MemoryTreeItems.h"
#include "trees/TreePaths.h"

namespace qtr {
namespace {

using test::MemoryTreeItems;

constexpr uint32_t kDirectory = 0x10;

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

TEST(DiskItemsTest, DisksStandInDeviceNumberOrderOnceEach) {
  MemoryTreeItems items;
  const TreeItem computer = items.Folder(kNoItem, u"My Computer");
  const TreeItem five = InsertDiskItem(items, u"Disk", 5, false);
  const TreeItem two = InsertDiskItem(items, u"Disk", 2, true);
  const TreeItem nine = InsertDiskItem(items, u"Disk", 9, false);
  EXPECT_EQ(InsertDiskItem(items, u"Disk", 5, false), kNoItem);

  std::vector<TreeItem> order;
  for (TreeItem item = FirstRoot(items); item != kNoItem; item = items.NextSibling(item))
    order.push_back(item);
  EXPECT_EQ(order, (std::vector<TreeItem>{computer, two, five, nine}));
  EXPECT_EQ(items.Data(two), 5u);
  EXPECT_EQ(items.State(two), kStateDisabled);
  EXPECT_EQ(items.State(five), kStateUnchecked);
  EXPECT_EQ(items.Name(two), u"Disk( 2 )");

  // Removal finds the disk's own item wherever it stands.
  EXPECT_TRUE(RemoveDiskItem(items, 5));
  EXPECT_FALSE(RemoveDiskItem(items, 5));
  EXPECT_EQ(items.NextSibling(two), nine);
  EXPECT_NE(InsertDiskItem(items, u"Disk", 5, false), kNoItem);
  EXPECT_EQ(items.NextSibling(items.NextSibling(two)), nine);
}

TEST(FolderFilterTest, SystemAndTemporaryEntriesAreNeverListed) {
  FolderFilter filter;
  EXPECT_FALSE(filter.Lists(u"D:\\", u".", kDirectory));
  EXPECT_FALSE(filter.Lists(u"D:\\", u"..", kDirectory));
  EXPECT_FALSE(filter.Lists(u"D:\\", u"pagefile.sys", 0x4 | 0x2));
  EXPECT_FALSE(filter.Lists(u"D:\\x", u"~work.tmp", 0x100));
  EXPECT_TRUE(filter.Lists(u"D:\\x", u"hidden.txt", 0x2));
}

TEST(FolderFilterTest, TheSystemFoldersOfDriveCFollowTheirSwitches) {
  FolderFilter filter;
  EXPECT_FALSE(filter.Lists(u"C:\\", u"WINDOWS", kDirectory));
  EXPECT_FALSE(filter.Lists(u"c:\\", u"windows", kDirectory));
  EXPECT_FALSE(filter.Lists(u"C:\\", u"Program Files", kDirectory));
  EXPECT_FALSE(filter.Lists(u"C:\\", u"Documents and Settings", kDirectory));
  EXPECT_TRUE(filter.Lists(u"D:\\", u"WINDOWS", kDirectory));
  EXPECT_TRUE(filter.Lists(u"C:\\data", u"WINDOWS", kDirectory));

  test::TempFolder temp;
  test::WriteBytes(temp.File(u"init.xml"),
                   "<root>\r\n<WindowsFile>1</WindowsFile>\r\n<ProgramFiles>0</ProgramFiles>\r\n"
                   "<DocAndSetFiles>1</DocAndSetFiles>\r\n</root>\r\n");
  filter.ReadSwitches(temp.File(u"init.xml"));
  EXPECT_TRUE(filter.Lists(u"C:\\", u"WINDOWS", kDirectory));
  EXPECT_FALSE(filter.Lists(u"C:\\", u"Program Files", kDirectory));
  EXPECT_TRUE(filter.Lists(u"C:\\", u"Documents and Settings", kDirectory));

  // A damaged settings file turns every switch off.
  test::WriteBytes(temp.File(u"init.xml"), "<root><WindowsFile>1</Windows");
  filter.ReadSwitches(temp.File(u"init.xml"));
  EXPECT_FALSE(filter.Lists(u"C:\\", u"WINDOWS", kDirectory));
}

}  // namespace
}  // namespace qtr
