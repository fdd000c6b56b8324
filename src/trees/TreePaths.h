// How tree items map to file-system paths: a drive item's name is its root
// ("C:\"), every item below it adds its name; items above a drive (the
// computer) and beside the drives (disks) stand for no path.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "trees/TreeItems.h"

namespace qtr {

// "C:\" (or "C:") is a drive root.
bool IsDriveRoot(std::u16string_view name);
// "c:\dir" gives "C:\": the drive root of a path, empty when it has none.
std::u16string DriveRootOf(std::u16string_view path);

// The full path of item, empty when it stands for none.
std::u16string ItemPath(const TreeItems& items, TreeItem item);

// The item that shows path among the drives below top (kNoItem: the root
// level) and their shown descendants; kNoItem when it is not shown.
TreeItem FindItemByPath(const TreeItems& items, TreeItem top, std::u16string_view path);

// The full paths of a folder item's shown children (none while it holds
// only the placeholder).
std::vector<std::u16string> ChildPaths(const TreeItems& items, TreeItem folder);

}  // namespace qtr
