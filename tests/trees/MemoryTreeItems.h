// A tree of items held in memory, for testing the check rules without a window.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "trees/TreeItems.h"

namespace qtr::test {

class MemoryTreeItems : public TreeItems {
 public:
  TreeItem FirstChild(TreeItem parent) const override;
  TreeItem NextSibling(TreeItem item) const override;
  TreeItem Parent(TreeItem item) const override;
  int State(TreeItem item) const override;
  void SetState(TreeItem item, int state) override;
  uintptr_t Data(TreeItem item) const override;
  void SetData(TreeItem item, uintptr_t data) override;
  std::u16string Name(TreeItem item) const override;
  void Rename(TreeItem item, const std::u16string& name, const std::u16string& text) override;
  bool IsExpanded(TreeItem item) const override;
  TreeItem Insert(TreeItem parent, TreeItem after, const NewTreeItem& item) override;
  void Delete(TreeItem item) override;
  void Select(TreeItem item) override { selected_ = item; }

  // Shortcuts for building a tree: a folder (read, no placeholder), a file,
  // a folder not yet read (with the placeholder).
  TreeItem Folder(TreeItem parent, const std::u16string& name, int state = kStateUnchecked);
  TreeItem File(TreeItem parent, const std::u16string& name, int state = kStateUnchecked);
  TreeItem Unread(TreeItem parent, const std::u16string& name, int state = kStateUnchecked);
  TreeItem Selected() const { return selected_; }
  size_t Count() const { return nodes_.size(); }

 private:
  struct Node {
    TreeItem parent = kNoItem;
    std::vector<TreeItem> children;
    std::u16string name;
    uintptr_t data = 0;
    int state = 0;
  };
  std::vector<TreeItem>& ChildrenOf(TreeItem parent);
  const std::vector<TreeItem>* ChildrenOf(TreeItem parent) const;

  std::map<TreeItem, Node> nodes_;
  std::vector<TreeItem> roots_;
  TreeItem next_ = 1;
  TreeItem selected_ = kNoItem;
};

}  // namespace qtr::test
