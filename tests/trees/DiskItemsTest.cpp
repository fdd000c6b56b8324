#include <gtest/gtest.h>

#include "trees/DiskItems.h"
#include "trees/MemoryTreeItems.h"

namespace qtr {
namespace {

using test::MemoryTreeItems;

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

}  // namespace
}  // namespace qtr
