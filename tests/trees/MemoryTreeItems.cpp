#include "trees/MemoryTreeItems.h"

#include <algorithm>

namespace qtr::test {

std::vector<TreeItem>& MemoryTreeItems::ChildrenOf(TreeItem parent) {
  return parent == kNoItem ? roots_ : nodes_.at(parent).children;
}

const std::vector<TreeItem>* MemoryTreeItems::ChildrenOf(TreeItem parent) const {
  if (parent == kNoItem) return &roots_;
  const auto found = nodes_.find(parent);
  return found == nodes_.end() ? nullptr : &found->second.children;
}

TreeItem MemoryTreeItems::FirstChild(TreeItem parent) const {
  const auto* children = ChildrenOf(parent);
  return children == nullptr || children->empty() ? kNoItem : children->front();
}

TreeItem MemoryTreeItems::NextSibling(TreeItem item) const {
  const auto found = nodes_.find(item);
  if (found == nodes_.end()) return kNoItem;
  const auto& siblings = *ChildrenOf(found->second.parent);
  const auto at = std::find(siblings.begin(), siblings.end(), item);
  return at + 1 == siblings.end() ? kNoItem : *(at + 1);
}

TreeItem MemoryTreeItems::Parent(TreeItem item) const {
  const auto found = nodes_.find(item);
  return found == nodes_.end() ? kNoItem : found->second.parent;
}

int MemoryTreeItems::State(TreeItem item) const {
  const auto found = nodes_.find(item);
  return found == nodes_.end() ? 0 : found->second.state;
}

void MemoryTreeItems::SetState(TreeItem item, int state) {
  nodes_.at(item).state = state;
}
uintptr_t MemoryTreeItems::Data(TreeItem item) const {
  return nodes_.at(item).data;
}
void MemoryTreeItems::SetData(TreeItem item, uintptr_t data) {
  nodes_.at(item).data = data;
}
std::u16string MemoryTreeItems::Name(TreeItem item) const {
  return nodes_.at(item).name;
}
void MemoryTreeItems::Rename(TreeItem item, const std::u16string& name, const std::u16string&) {
  nodes_.at(item).name = name;
}

bool MemoryTreeItems::IsExpanded(TreeItem item) const {
  const auto found = nodes_.find(item);
  return found != nodes_.end() && !found->second.children.empty() && !HasPlaceholder(*this, item);
}

TreeItem MemoryTreeItems::Insert(TreeItem parent, TreeItem after, const NewTreeItem& item) {
  const TreeItem id = next_++;
  Node node;
  node.parent = parent;
  node.name = item.name.empty() ? item.text : item.name;
  node.data = item.data;
  node.state = item.state;
  nodes_[id] = node;
  auto& siblings = ChildrenOf(parent);
  if (after == kInsertFirst) {
    siblings.insert(siblings.begin(), id);
  } else if (after == kInsertLast) {
    siblings.push_back(id);
  } else {
    siblings.insert(std::find(siblings.begin(), siblings.end(), after) + 1, id);
  }
  if (item.placeholder) {
    NewTreeItem placeholder;
    placeholder.name = std::u16string(kPlaceholderText);
    placeholder.state = kStateNone;
    Insert(id, kInsertLast, placeholder);
  }
  return id;
}

void MemoryTreeItems::Delete(TreeItem item) {
  const auto found = nodes_.find(item);
  if (found == nodes_.end()) return;
  while (!found->second.children.empty()) Delete(found->second.children.back());
  std::erase(ChildrenOf(found->second.parent), item);
  if (selected_ == item) selected_ = kNoItem;
  nodes_.erase(found);
}

TreeItem MemoryTreeItems::Folder(TreeItem parent, const std::u16string& name, int state) {
  NewTreeItem item;
  item.name = name;
  item.state = state;
  return Insert(parent, kInsertLast, item);
}

TreeItem MemoryTreeItems::File(TreeItem parent, const std::u16string& name, int state) {
  NewTreeItem item;
  item.name = name;
  item.state = state;
  item.data = kFileData;
  return Insert(parent, kInsertLast, item);
}

TreeItem MemoryTreeItems::Unread(TreeItem parent, const std::u16string& name, int state) {
  NewTreeItem item;
  item.name = name;
  item.state = state;
  item.placeholder = true;
  return Insert(parent, kInsertLast, item);
}

}  // namespace qtr::test
