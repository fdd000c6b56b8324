#include "trees/CheckRules.h"

namespace qtr {

void SetSubtreeState(TreeItems& items, TreeItem item, int state) {
  if (items.State(item) != kStateDisabled) items.SetState(item, state);
  for (TreeItem child = items.FirstChild(item); child != kNoItem; child = items.NextSibling(child)) {
    // The placeholder carries no check box.
    if (items.State(child) == kStateNone) continue;
    SetSubtreeState(items, child, state);
  }
}

namespace {

bool SiblingDiffers(const TreeItems& items, TreeItem item, int state) {
  const TreeItem parent = items.Parent(item);
  for (TreeItem sibling = items.FirstChild(parent); sibling != kNoItem;
       sibling = items.NextSibling(sibling)) {
    if (sibling == item) continue;
    const int other = items.State(sibling);
    if (other != state && other != kStateDisabled && other != kStateNone) return true;
  }
  return false;
}

}  // namespace

void ApplyParentRule(TreeItems& items, TreeItem item, int state, TreeItem root) {
  while (item != root && item != kNoItem) {
    const TreeItem parent = items.Parent(item);
    if (parent == kNoItem) return;
    if (SiblingDiffers(items, item, state)) {
      for (TreeItem up = parent; up != kNoItem; up = items.Parent(up)) {
        if (up == root || items.State(up) != kStateDisabled) items.SetState(up, kStatePartly);
        if (up == root) break;
      }
      return;
    }
    if (parent == root) {
      items.SetState(parent, state == kStateChecked ? kStatePartly : kStateDisabled);
      return;
    }
    if (items.State(parent) != kStateDisabled || state == kStateChecked) items.SetState(parent, state);
    item = parent;
  }
}

}  // namespace qtr
