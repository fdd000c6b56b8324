// The whole-disk items at the root level of the source and target trees:
// one per supported USB disk, item data device number + 3, kept in
// ascending device-number order after the tree's first item.
#pragma once
#include <cstdint>
#include <string>

#include "trees/TreeItems.h"

namespace qtr {

// The label of a disk item: the disk's name followed by "( n )".
std::u16string DiskItemText(const std::u16string& displayName, uint32_t deviceNumber);

// Where a disk item for deviceNumber goes: after the last root item whose
// data - 3 is not greater than the number (items that are not disks count
// as smaller). False when an item with that data is already there.
bool DiskItemPlace(const TreeItems& items, uint32_t deviceNumber, TreeItem& after);

// Inserts the item (state 5 when locked, else 1); kNoItem when the disk is already shown.
TreeItem InsertDiskItem(TreeItems& items, const std::u16string& displayName, uint32_t deviceNumber,
                        bool locked);

// Deletes the item whose data is deviceNumber + 3, wherever it stands.
bool RemoveDiskItem(TreeItems& items, uint32_t deviceNumber);

}  // namespace qtr
