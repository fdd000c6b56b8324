#include "trees/DiskItems.h"

#include <cstdint>
#include <string>

#include "platform/NumberText.h"

namespace qtr {

std::u16string DiskItemText(const std::u16string& displayName, uint32_t deviceNumber) {
  return displayName + u"( " + DigitsOf(deviceNumber) + u" )";
}

bool DiskItemPlace(const TreeItems& items, uint32_t deviceNumber, TreeItem& after) {
  after = kNoItem;
  const uintptr_t data = DiskData(deviceNumber);
  for (TreeItem item = FirstRoot(items); item != kNoItem; item = items.NextSibling(item)) {
    const uintptr_t other = items.Data(item);
    if (other == data) return false;
    // Items that are not disks (the computer, the partition) stand before every disk.
    if (!IsDiskData(other) || other - kDiskDataBase <= deviceNumber) after = item;
  }
  return true;
}

TreeItem InsertDiskItem(TreeItems& items, const std::u16string& displayName, uint32_t deviceNumber,
                        bool locked) {
  TreeItem after = kNoItem;
  if (!DiskItemPlace(items, deviceNumber, after)) return kNoItem;
  NewTreeItem item;
  item.text = DiskItemText(displayName, deviceNumber);
  item.name = item.text;
  item.data = DiskData(deviceNumber);
  item.state = locked ? kStateDisabled : kStateUnchecked;
  return items.Insert(kNoItem, after == kNoItem ? kInsertFirst : after, item);
}

bool RemoveDiskItem(TreeItems& items, uint32_t deviceNumber) {
  const TreeItem item = FindRootByData(items, DiskData(deviceNumber));
  if (item == kNoItem) return false;
  items.Delete(item);
  return true;
}

}  // namespace qtr
