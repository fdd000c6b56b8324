// The decisions of the target tree: the partition item and its store folder
// against the whole-disk items, the clicks on their check boxes, greying the
// chosen disk in the source tree, and the checked store items a restore takes.
#pragma once
#include <string>
#include <vector>

#include "trees/TreeItems.h"

namespace qtr {

// The store folder at the root of a target partition.
inline constexpr std::u16string_view kStoreFolderName = u"QTRPMB";

// A version folder shows as one item below the store, after its drive
// folders; its name is the path below the store ("~versions\<stamp>"), so
// that the paths built from it are the real folders'.
std::u16string VersionEntryName(std::u16string_view stamp);
bool IsVersionEntry(const TreeItems& items, TreeItem item);

class TargetSelection {
 public:
  TargetSelection(TreeItems& items, int& selectedDisk);

  // The source tree's items: a disk chosen here is greyed (5) there.
  void SetSource(TreeItems* source) { source_ = source; }

  // The partition shown ("E:\"), empty when none.
  const std::u16string& TargetRoot() const { return targetRoot_; }
  void SetTargetRoot(std::u16string root);

  // The first root item when it is the partition (data 1), else kNoItem.
  TreeItem PartitionItem() const;
  // After the partition was shown again: the first disk item in state 3
  // becomes the chosen disk.
  void FindCheckedDisk();

  void Click(TreeItem item);
  // Clears the disk chosen here; the greyed source item goes back to 1.
  void UnselectDisk();
  // The disk went away: a disk that comes back under its number is not freed on its behalf later.
  void ForgetDisk(uint32_t deviceNumber);

  // The store items a restore takes: each checked item below the partition
  // (not below a checked one), descending only into partly checked items.
  std::vector<std::u16string> CheckedPaths() const;

  // Whether expanding item reads its folder: not for the partition item,
  // which shows only its store folder.
  bool ListsOnExpansion(TreeItem item) const;

  // The store item below the partition, kNoItem when it is not shown.
  TreeItem StoreItem() const;

 private:
  void ClickDisk(TreeItem item);
  void ClickPath(TreeItem item);
  void UncheckVersionsBelow(TreeItem item);
  void CollectChecked(TreeItem parent, std::vector<std::u16string>& paths) const;
  bool ChoosesVersions(TreeItem store) const;

  TreeItems& items_;
  int& selectedDisk_;
  TreeItems* source_ = nullptr;
  std::u16string targetRoot_;
  int greyedInSource_ = -1;
};

}  // namespace qtr
