// The items of a selection tree as the check rules see them: a portable view
// of a tree-view control (the window code) or of an in-memory tree (tests).
// Item data and check-state images follow the conventions every tree of the
// program shares.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qtr {

// An item handle; 0 is no item.
using TreeItem = uintptr_t;
inline constexpr TreeItem kNoItem = 0;

// Check-state images (bits 12 to 15 of the item state).
enum TreeState : int {
  kStateNone = 0,
  kStateUnchecked = 1,
  kStatePartly = 2,  // on the source root: some files selected
  kStateChecked = 3,
  kStateDiskFree = 4,  // a disk item that is not selected
  kStateDisabled = 5,  // locked disk, unusable volume; on the source root: nothing selected
};

// Item data.
inline constexpr uintptr_t kFolderData = 0;     // drive or folder
inline constexpr uintptr_t kPartitionData = 1;  // the target tree's partition item
inline constexpr uintptr_t kFileData = 0xFFFF;
inline constexpr uintptr_t kDiskDataBase = 3;  // a whole-disk item: device number + 3
inline constexpr uintptr_t kDiskDataLast = 16639;

inline constexpr bool IsDiskData(uintptr_t data) {
  return data >= kDiskDataBase && data <= kDiskDataLast && data != kFileData;
}
inline constexpr uintptr_t DiskData(uint32_t deviceNumber) {
  return deviceNumber + kDiskDataBase;
}

// The child that marks a folder that has not been read yet.
inline constexpr std::u16string_view kPlaceholderText = u"temp";

// Where a new item goes among its siblings.
inline constexpr TreeItem kInsertFirst = static_cast<TreeItem>(-1);
inline constexpr TreeItem kInsertLast = static_cast<TreeItem>(-2);

struct NewTreeItem {
  std::u16string name;  // the file-system name the item's path is built from
  std::u16string text;  // the label; empty shows the name
  uintptr_t data = kFolderData;
  int state = kStateUnchecked;
  bool placeholder = false;  // give it the "temp" child
  int image = -1;            // an index in the shared small-icon list; -1: the shell's picture of the path
};

class TreeItems {
 public:
  virtual ~TreeItems() = default;

  // parent kNoItem: the root level.
  virtual TreeItem FirstChild(TreeItem parent) const = 0;
  virtual TreeItem NextSibling(TreeItem item) const = 0;
  // kNoItem for a root-level item.
  virtual TreeItem Parent(TreeItem item) const = 0;

  virtual int State(TreeItem item) const = 0;
  virtual void SetState(TreeItem item, int state) = 0;
  virtual uintptr_t Data(TreeItem item) const = 0;
  virtual void SetData(TreeItem item, uintptr_t data) = 0;
  // The file-system name ("C:\" for a drive, a file or folder name), or the
  // label for items that stand for no path (the root, disks, the placeholder).
  virtual std::u16string Name(TreeItem item) const = 0;
  virtual void Rename(TreeItem item, const std::u16string& name, const std::u16string& text) = 0;
  // Whether the item shows its children now.
  virtual bool IsExpanded(TreeItem item) const = 0;

  // after: kInsertFirst, kInsertLast or a sibling. Returns the new item, or kNoItem.
  virtual TreeItem Insert(TreeItem parent, TreeItem after, const NewTreeItem& item) = 0;
  virtual void Delete(TreeItem item) = 0;
  virtual void Select(TreeItem item) = 0;
};

// Helpers over any tree.
TreeItem FirstRoot(const TreeItems& items);
TreeItem LastChild(const TreeItems& items, TreeItem parent);
void DeleteChildren(TreeItems& items, TreeItem parent);
// The first child is the "temp" placeholder: the folder has not been read.
bool HasPlaceholder(const TreeItems& items, TreeItem folder);
// The child of parent whose name equals name (ignoring ASCII case), or kNoItem.
TreeItem FindChild(const TreeItems& items, TreeItem parent, std::u16string_view name);
// The root-level item with the given data, or kNoItem.
TreeItem FindRootByData(const TreeItems& items, uintptr_t data);

}  // namespace qtr
