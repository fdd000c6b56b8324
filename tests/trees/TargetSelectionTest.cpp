#include <gtest/gtest.h>

#include "trees/DiskItems.h"
#include "trees/MemoryTreeItems.h"
#include "trees/TargetSelection.h"

namespace qtr {
namespace {

using test::MemoryTreeItems;
using Paths = std::vector<std::u16string>;

// The target tree with partition E: and its store (two drives stored, one
// of them read), and two disks; beside it the source tree with the same disks.
class TargetSelectionTest : public ::testing::Test {
 protected:
  TargetSelectionTest() {
    NewTreeItem partition;
    partition.name = u"E:\\";
    partition.data = kPartitionData;
    partition_ = items_.Insert(kNoItem, kInsertFirst, partition);
    store_ = items_.Folder(partition_, u"QTRPMB");
    storedC_ = items_.Folder(store_, u"C");
    docs_ = items_.Folder(storedC_, u"docs");
    notes_ = items_.File(storedC_, u"notes.txt.zip");
    storedD_ = items_.Unread(store_, u"D");
    InsertDiskItem(items_, u"Disk A", 1, false);
    InsertDiskItem(items_, u"Disk B", 2, false);
    source_.Folder(kNoItem, u"", kStateDisabled);
    InsertDiskItem(source_, u"Disk A", 1, false);
    InsertDiskItem(source_, u"Disk B", 2, false);
    selection_.SetSource(&source_);
    selection_.SetTargetRoot(u"E:");
  }
  TreeItem Disk(TreeItems& items, uint32_t number) const { return FindRootByData(items, DiskData(number)); }

  MemoryTreeItems items_;
  MemoryTreeItems source_;
  int selectedDisk_ = -1;
  TargetSelection selection_{items_, selectedDisk_};
  TreeItem partition_{}, store_{}, storedC_{}, docs_{}, notes_{}, storedD_{};
};

TEST_F(TargetSelectionTest, TheTargetRootKeepsATrailingBackslash) {
  EXPECT_EQ(selection_.TargetRoot(), u"E:\\");
  EXPECT_EQ(selection_.PartitionItem(), partition_);
}

TEST_F(TargetSelectionTest, ADiskAndThePartitionExcludeEachOther) {
  selection_.Click(partition_);
  EXPECT_EQ(items_.State(store_), kStateChecked);
  EXPECT_EQ(items_.State(docs_), kStateChecked);

  selection_.Click(Disk(items_, 2));
  EXPECT_EQ(items_.State(partition_), kStateUnchecked);
  EXPECT_EQ(items_.State(store_), kStateUnchecked);
  EXPECT_EQ(items_.State(docs_), kStateUnchecked);
  EXPECT_EQ(items_.State(Disk(items_, 2)), kStateChecked);
  EXPECT_EQ(selectedDisk_, 2);
  EXPECT_EQ(source_.State(Disk(source_, 2)), kStateDisabled);

  selection_.Click(Disk(items_, 1));
  EXPECT_EQ(items_.State(Disk(items_, 2)), kStateUnchecked);
  EXPECT_EQ(source_.State(Disk(source_, 2)), kStateUnchecked);
  EXPECT_EQ(source_.State(Disk(source_, 1)), kStateDisabled);

  selection_.Click(store_);
  EXPECT_EQ(selectedDisk_, -1);
  EXPECT_EQ(items_.State(Disk(items_, 1)), kStateUnchecked);
  EXPECT_EQ(source_.State(Disk(source_, 1)), kStateUnchecked);
  EXPECT_EQ(items_.State(store_), kStateChecked);
}

TEST_F(TargetSelectionTest, LockedAndUnusableItemsIgnoreClicks) {
  items_.SetState(partition_, kStateDisabled);
  selection_.Click(partition_);
  EXPECT_EQ(items_.State(partition_), kStateDisabled);
  EXPECT_EQ(items_.State(store_), kStateUnchecked);

  const TreeItem locked = Disk(items_, 1);
  items_.SetState(locked, kStateDisabled);
  selection_.Click(locked);
  EXPECT_EQ(items_.State(locked), kStateDisabled);
  EXPECT_EQ(selectedDisk_, -1);

  // A disk chosen while the partition is unusable leaves the partition alone.
  selection_.Click(Disk(items_, 2));
  EXPECT_EQ(items_.State(partition_), kStateDisabled);
  EXPECT_EQ(selectedDisk_, 2);
}

TEST_F(TargetSelectionTest, TheRestoreTakesExactlyTheTopmostCheckedStoreItems) {
  EXPECT_EQ(selection_.CheckedPaths(), Paths{});
  selection_.Click(docs_);
  EXPECT_EQ(items_.State(storedC_), kStatePartly);
  EXPECT_EQ(items_.State(store_), kStatePartly);
  selection_.Click(storedD_);
  EXPECT_EQ(selection_.CheckedPaths(), (Paths{u"E:\\QTRPMB\\C\\docs", u"E:\\QTRPMB\\D"}));

  selection_.Click(notes_);
  EXPECT_EQ(items_.State(storedC_), kStateChecked);
  EXPECT_EQ(items_.State(store_), kStateChecked);
  EXPECT_EQ(selection_.CheckedPaths(), Paths{u"E:\\QTRPMB"});

  selection_.Click(notes_);
  EXPECT_EQ(selection_.CheckedPaths(), (Paths{u"E:\\QTRPMB\\C\\docs", u"E:\\QTRPMB\\D"}));
}

TEST_F(TargetSelectionTest, AfterTheTreeIsShownAgainTheCheckedDiskIsFound) {
  items_.SetState(Disk(items_, 2), kStateChecked);
  selection_.FindCheckedDisk();
  EXPECT_EQ(selectedDisk_, 2);
  items_.SetState(Disk(items_, 2), kStateUnchecked);
  selection_.FindCheckedDisk();
  EXPECT_EQ(selectedDisk_, -1);
}

TEST_F(TargetSelectionTest, ThePartitionShowsOnlyItsStoreFolder) {
  EXPECT_FALSE(selection_.ListsOnExpansion(partition_));
  EXPECT_TRUE(selection_.ListsOnExpansion(storedD_));
  items_.Delete(store_);
  EXPECT_TRUE(selection_.ListsOnExpansion(partition_));
}

TEST_F(TargetSelectionTest, ADiskThatWentAwayIsNotFreedWhenItComesBackLocked) {
  selection_.Click(Disk(items_, 1));
  ASSERT_EQ(source_.State(Disk(source_, 1)), kStateDisabled);
  RemoveDiskItem(items_, 1);
  RemoveDiskItem(source_, 1);
  selection_.ForgetDisk(1);
  selectedDisk_ = -1;
  InsertDiskItem(items_, u"Disk A", 1, true);
  InsertDiskItem(source_, u"Disk A", 1, true);
  selection_.Click(store_);
  EXPECT_EQ(source_.State(Disk(source_, 1)), kStateDisabled);
}

TEST_F(TargetSelectionTest, VersionsAreChosenOneByOneAndNotWithTheWholeStore) {
  const TreeItem newer = items_.Folder(store_, VersionEntryName(u"2026-12-09 193800"));
  const TreeItem newerC = items_.Folder(newer, u"C");
  const TreeItem older = items_.Unread(store_, VersionEntryName(u"2026-12-01 080000.2"));
  EXPECT_TRUE(IsVersionEntry(items_, newer));
  EXPECT_FALSE(IsVersionEntry(items_, storedC_));
  EXPECT_EQ(selection_.StoreItem(), store_);

  // The store ticked stands for the stored files as they are now.
  selection_.Click(store_);
  EXPECT_EQ(items_.State(storedC_), kStateChecked);
  EXPECT_EQ(items_.State(newer), kStateUnchecked);
  EXPECT_EQ(items_.State(newerC), kStateUnchecked);
  EXPECT_EQ(selection_.CheckedPaths(), Paths{u"E:\\QTRPMB"});
  selection_.Click(store_);
  selection_.Click(partition_);
  EXPECT_EQ(items_.State(older), kStateUnchecked);
  EXPECT_EQ(selection_.CheckedPaths(), Paths{u"E:\\QTRPMB"});
  selection_.Click(partition_);

  // A version ticked restores from its real folder; beside the current files too.
  selection_.Click(newer);
  EXPECT_EQ(items_.State(newerC), kStateChecked);
  EXPECT_EQ(items_.State(store_), kStatePartly);
  EXPECT_EQ(selection_.CheckedPaths(), Paths{u"E:\\QTRPMB\\~versions\\2026-12-09 193800"});
  selection_.Click(storedD_);
  selection_.Click(newerC);
  selection_.Click(older);
  EXPECT_EQ(selection_.CheckedPaths(), (Paths{u"E:\\QTRPMB\\D", u"E:\\QTRPMB\\~versions\\2026-12-01 080000.2"}));

  // Everything below the store ticked one by one: the store shows checked,
  // and the restore still takes the versions.
  selection_.Click(storedC_);
  selection_.Click(newer);
  EXPECT_EQ(items_.State(store_), kStateChecked);
  EXPECT_EQ(selection_.CheckedPaths(),
            (Paths{u"E:\\QTRPMB\\C", u"E:\\QTRPMB\\D", u"E:\\QTRPMB\\~versions\\2026-12-09 193800",
                   u"E:\\QTRPMB\\~versions\\2026-12-01 080000.2"}));
}

}  // namespace
}  // namespace qtr
