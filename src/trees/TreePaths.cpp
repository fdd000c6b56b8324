#include "trees/TreePaths.h"

#include "config/SelectionPath.h"
#include "platform/PathText.h"
#include "trees/FolderFilter.h"

namespace qtr {

bool IsDriveRoot(std::u16string_view name) {
  if (name.size() != 2 && name.size() != 3) return false;
  const char16_t letter = name[0];
  const bool isLetter = (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
  return isLetter && name[1] == u':' && (name.size() == 2 || name[2] == u'\\');
}

std::u16string DriveRootOf(std::u16string_view path) {
  if (path.size() < 2 || !IsDriveRoot(path.substr(0, 2))) return {};
  if (path.size() > 2 && path[2] != u'\\') return {};
  std::u16string root(path.substr(0, 2));
  if (root[0] >= u'a' && root[0] <= u'z') root[0] = static_cast<char16_t>(root[0] - u'a' + u'A');
  return root + u'\\';
}

std::u16string ItemPath(const TreeItems& items, TreeItem item) {
  std::vector<std::u16string> names;
  for (TreeItem up = item; up != kNoItem; up = items.Parent(up)) {
    std::u16string name = items.Name(up);
    if (IsDriveRoot(name)) {
      std::u16string path = name.size() == 2 ? name + u'\\' : name;
      for (auto it = names.rbegin(); it != names.rend(); ++it) path = PathInFolder(path, *it);
      return path;
    }
    names.push_back(std::move(name));
  }
  return {};
}

namespace {

TreeItem FindDriveBelow(const TreeItems& items, TreeItem top, std::u16string_view root) {
  for (TreeItem child = items.FirstChild(top); child != kNoItem; child = items.NextSibling(child)) {
    const std::u16string name = items.Name(child);
    if (IsDriveRoot(name) && SamePath(name.substr(0, 2), root.substr(0, 2))) return child;
  }
  return kNoItem;
}

}  // namespace

TreeItem FindItemByPath(const TreeItems& items, TreeItem top, std::u16string_view path) {
  const std::u16string root = DriveRootOf(path);
  if (root.empty()) return kNoItem;
  TreeItem item = FindDriveBelow(items, top, root);
  size_t start = 3;
  while (item != kNoItem && start < path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) {
      if (HasPlaceholder(items, item)) return kNoItem;
      TreeItem child = FindChild(items, item, path.substr(start, end - start));
      // An item may stand for two folders at once (a store's version
      // folder, "~versions\<stamp>").
      if (child == kNoItem && end < path.size()) {
        size_t second = path.find(u'\\', end + 1);
        if (second == std::u16string_view::npos) second = path.size();
        child = FindChild(items, item, path.substr(start, second - start));
        if (child != kNoItem) end = second;
      }
      item = child;
    }
    start = end + 1;
  }
  return item;
}

std::vector<std::u16string> ChildPaths(const TreeItems& items, TreeItem folder) {
  std::vector<std::u16string> paths;
  if (HasPlaceholder(items, folder)) return paths;
  const std::u16string base = ItemPath(items, folder);
  if (base.empty()) return paths;
  for (TreeItem child = items.FirstChild(folder); child != kNoItem; child = items.NextSibling(child)) {
    paths.push_back(PathInFolder(base, items.Name(child)));
  }
  return paths;
}

}  // namespace qtr
