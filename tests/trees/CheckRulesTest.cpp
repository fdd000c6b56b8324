#include <gtest/gtest.h>

#include "trees/CheckRules.h"
#include "trees/MemoryTreeItems.h"

namespace qtr {
namespace {

using test::MemoryTreeItems;

// The computer with two drives; C: holds a folder with two files.
struct Computer {
  MemoryTreeItems items;
  TreeItem root = items.Folder(kNoItem, u"", kStateDisabled);
  TreeItem c = items.Folder(root, u"C:\\");
  TreeItem d = items.Folder(root, u"D:\\");
  TreeItem docs = items.Folder(c, u"docs");
  TreeItem a = items.File(docs, u"a.txt");
  TreeItem b = items.File(docs, u"b.txt");

  void Set(TreeItem item, int state) {
    SetSubtreeState(items, item, state);
    ApplyParentRule(items, item, state, root);
  }
};

TEST(CheckRulesTest, RootIsPartlyCheckedEvenWhenEveryDriveIsChecked) {
  Computer pc;
  pc.Set(pc.c, kStateChecked);
  EXPECT_EQ(pc.items.State(pc.root), kStatePartly);
  pc.Set(pc.d, kStateChecked);
  EXPECT_EQ(pc.items.State(pc.root), kStatePartly);
  EXPECT_EQ(pc.items.State(pc.a), kStateChecked);
}

TEST(CheckRulesTest, UncheckingTheLastCheckedItemLeavesNothingSelected) {
  Computer pc;
  pc.Set(pc.a, kStateChecked);
  EXPECT_EQ(pc.items.State(pc.docs), kStatePartly);
  EXPECT_EQ(pc.items.State(pc.c), kStatePartly);
  EXPECT_EQ(pc.items.State(pc.root), kStatePartly);

  pc.Set(pc.a, kStateUnchecked);
  EXPECT_EQ(pc.items.State(pc.docs), kStateUnchecked);
  EXPECT_EQ(pc.items.State(pc.c), kStateUnchecked);
  EXPECT_EQ(pc.items.State(pc.root), kStateDisabled);
}

TEST(CheckRulesTest, AFolderWhoseItemsAreAllCheckedIsChecked) {
  Computer pc;
  pc.Set(pc.a, kStateChecked);
  pc.Set(pc.b, kStateChecked);
  EXPECT_EQ(pc.items.State(pc.docs), kStateChecked);
  EXPECT_EQ(pc.items.State(pc.c), kStateChecked);
  EXPECT_EQ(pc.items.State(pc.root), kStatePartly);

  // One item out again: every folder above it is partly checked.
  pc.Set(pc.b, kStateUnchecked);
  EXPECT_EQ(pc.items.State(pc.docs), kStatePartly);
  EXPECT_EQ(pc.items.State(pc.c), kStatePartly);
}

TEST(CheckRulesTest, DisabledItemsKeepTheirState) {
  Computer pc;
  pc.items.SetState(pc.b, kStateDisabled);
  pc.Set(pc.docs, kStateChecked);
  EXPECT_EQ(pc.items.State(pc.a), kStateChecked);
  EXPECT_EQ(pc.items.State(pc.b), kStateDisabled);

  // A disabled sibling does not count as different; a disabled folder
  // above takes a check but not an uncheck.
  pc.items.SetState(pc.docs, kStateDisabled);
  pc.items.SetState(pc.b, kStateUnchecked);
  pc.Set(pc.a, kStateUnchecked);
  EXPECT_EQ(pc.items.State(pc.docs), kStateDisabled);
  pc.Set(pc.b, kStateChecked);
  EXPECT_EQ(pc.items.State(pc.docs), kStateDisabled);
  EXPECT_EQ(pc.items.State(pc.c), kStatePartly);
  EXPECT_EQ(pc.items.State(pc.root), kStatePartly);
  pc.Set(pc.a, kStateChecked);
  EXPECT_EQ(pc.items.State(pc.docs), kStateChecked);
}

TEST(CheckRulesTest, WithoutASpecialRootTheTopItemTakesStatesLikeAFolder) {
  MemoryTreeItems items;
  const TreeItem partition = items.Folder(kNoItem, u"E:\\");
  const TreeItem store = items.Folder(partition, u"QTRPMB");
  const TreeItem c = items.Folder(store, u"C");
  const TreeItem d = items.Folder(store, u"D");
  SetSubtreeState(items, c, kStateChecked);
  ApplyParentRule(items, c, kStateChecked, kNoItem);
  EXPECT_EQ(items.State(store), kStatePartly);
  EXPECT_EQ(items.State(partition), kStatePartly);
  SetSubtreeState(items, d, kStateChecked);
  ApplyParentRule(items, d, kStateChecked, kNoItem);
  EXPECT_EQ(items.State(store), kStateChecked);
  EXPECT_EQ(items.State(partition), kStateChecked);
}

}  // namespace
}  // namespace qtr
