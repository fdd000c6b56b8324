#include "trees/TreeItems.h"

#include "config/SelectionPath.h"

namespace qtr {

TreeItem FirstRoot(const TreeItems& items) {
  return items.FirstChild(kNoItem);
}

TreeItem LastChild(const TreeItems& items, TreeItem parent) {
  TreeItem last = kNoItem;
  for (TreeItem child = items.FirstChild(parent); child != kNoItem; child = items.NextSibling(child))
    last = child;
  return last;
}

void DeleteChildren(TreeItems& items, TreeItem parent) {
  for (TreeItem child = items.FirstChild(parent); child != kNoItem;) {
    const TreeItem next = items.NextSibling(child);
    items.Delete(child);
    child = next;
  }
}

bool HasPlaceholder(const TreeItems& items, TreeItem folder) {
  const TreeItem first = items.FirstChild(folder);
  return first != kNoItem && items.Name(first) == kPlaceholderText;
}

TreeItem FindChild(const TreeItems& items, TreeItem parent, std::u16string_view name) {
  for (TreeItem child = items.FirstChild(parent); child != kNoItem; child = items.NextSibling(child)) {
    if (SamePath(items.Name(child), name)) return child;
  }
  return kNoItem;
}

TreeItem FindRootByData(const TreeItems& items, uintptr_t data) {
  for (TreeItem item = FirstRoot(items); item != kNoItem; item = items.NextSibling(item)) {
    if (items.Data(item) == data) return item;
  }
  return kNoItem;
}

}  // namespace qtr
