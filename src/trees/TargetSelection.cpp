#include "trees/TargetSelection.h"

#include <utility>

#include "config/SelectionPath.h"
#include "platform/PathText.h"
#include "trees/CheckRules.h"
#include "trees/TreePaths.h"

namespace qtr {

namespace {
constexpr std::u16string_view kVersionsPrefix = u"~versions\\";
}  // namespace

std::u16string VersionEntryName(std::u16string_view stamp) {
  return std::u16string(kVersionsPrefix) + std::u16string(stamp);
}

bool IsVersionEntry(const TreeItems& items, TreeItem item) {
  const std::u16string name = items.Name(item);
  return name.size() > kVersionsPrefix.size() && SamePath(name.substr(0, kVersionsPrefix.size()), kVersionsPrefix);
}

TargetSelection::TargetSelection(TreeItems& items, int& selectedDisk)
    : items_(items), selectedDisk_(selectedDisk) {}

void TargetSelection::SetTargetRoot(std::u16string root) {
  targetRoot_ = WithTrailingBackslash(root);
}

TreeItem TargetSelection::PartitionItem() const {
  const TreeItem first = FirstRoot(items_);
  return first != kNoItem && items_.Data(first) == kPartitionData ? first : kNoItem;
}

void TargetSelection::FindCheckedDisk() {
  for (TreeItem item = FirstRoot(items_); item != kNoItem; item = items_.NextSibling(item)) {
    const uintptr_t data = items_.Data(item);
    if (items_.State(item) == kStateChecked && IsDiskData(data)) {
      selectedDisk_ = static_cast<int>(data - kDiskDataBase);
      return;
    }
  }
  selectedDisk_ = -1;
}

void TargetSelection::Click(TreeItem item) {
  if (item == kNoItem) return;
  const int state = items_.State(item);
  if (state == kStateDisabled || state == kStateNone) return;
  const uintptr_t data = items_.Data(item);
  if (IsDiskData(data) && items_.Parent(item) == kNoItem) {
    ClickDisk(item);
  } else {
    ClickPath(item);
  }
}

void TargetSelection::ClickPath(TreeItem item) {
  UnselectDisk();
  const int state = items_.State(item) == kStateChecked ? kStateUnchecked : kStateChecked;
  items_.Select(item);
  SetSubtreeState(items_, item, state);
  if (state == kStateChecked) UncheckVersionsBelow(item);
  // The partition takes states like any folder here; the store folder shows
  // partly checked when only some of its items are chosen, so that the
  // restore selection finds them.
  ApplyParentRule(items_, item, state, kNoItem);
}

// The whole store (or partition) ticked restores the stored files as they
// are now; its previous versions are chosen one by one, so they stay
// unticked rather than look chosen.
void TargetSelection::UncheckVersionsBelow(TreeItem item) {
  const TreeItem store = StoreItem();
  if (store == kNoItem || (item != store && item != PartitionItem())) return;
  for (TreeItem child = items_.FirstChild(store); child != kNoItem; child = items_.NextSibling(child)) {
    if (IsVersionEntry(items_, child)) SetSubtreeState(items_, child, kStateUnchecked);
  }
}

void TargetSelection::ClickDisk(TreeItem item) {
  const int state = items_.State(item);
  if (state == kStateChecked) {
    UnselectDisk();
    return;
  }
  if (state != kStateUnchecked && state != kStateDiskFree) return;
  const TreeItem partition = PartitionItem();
  if (partition != kNoItem && items_.State(partition) != kStateDisabled) {
    SetSubtreeState(items_, partition, kStateUnchecked);
  }
  UnselectDisk();
  items_.SetState(item, kStateChecked);
  selectedDisk_ = static_cast<int>(items_.Data(item) - kDiskDataBase);
  if (source_ != nullptr) {
    // The source tree's first root item is the computer; its disks follow it.
    TreeItem sourceItem = FirstRoot(*source_);
    if (sourceItem != kNoItem) sourceItem = source_->NextSibling(sourceItem);
    for (; sourceItem != kNoItem; sourceItem = source_->NextSibling(sourceItem)) {
      if (source_->Data(sourceItem) == items_.Data(item)) break;
    }
    if (sourceItem != kNoItem) {
      source_->SetState(sourceItem, kStateDisabled);
      greyedInSource_ = selectedDisk_;
    }
  }
}

void TargetSelection::UnselectDisk() {
  if (selectedDisk_ >= 0) {
    const TreeItem chosen = FindRootByData(items_, DiskData(static_cast<uint32_t>(selectedDisk_)));
    if (chosen != kNoItem && items_.State(chosen) == kStateChecked) items_.SetState(chosen, kStateUnchecked);
  }
  selectedDisk_ = -1;
  if (greyedInSource_ >= 0 && source_ != nullptr) {
    const TreeItem greyed = FindRootByData(*source_, DiskData(static_cast<uint32_t>(greyedInSource_)));
    if (greyed != kNoItem && source_->State(greyed) == kStateDisabled)
      source_->SetState(greyed, kStateUnchecked);
  }
  greyedInSource_ = -1;
}

void TargetSelection::ForgetDisk(uint32_t deviceNumber) {
  if (greyedInSource_ == static_cast<int>(deviceNumber)) greyedInSource_ = -1;
}

std::vector<std::u16string> TargetSelection::CheckedPaths() const {
  std::vector<std::u16string> paths;
  const TreeItem partition = PartitionItem();
  if (partition != kNoItem) CollectChecked(partition, paths);
  return paths;
}

void TargetSelection::CollectChecked(TreeItem parent, std::vector<std::u16string>& paths) const {
  for (TreeItem child = items_.FirstChild(parent); child != kNoItem; child = items_.NextSibling(child)) {
    const int state = items_.State(child);
    // The store's own path restores the stored files as they are now and
    // no version; a store checked with versions chosen stands for its items.
    if (state == kStateChecked && child == StoreItem() && ChoosesVersions(child)) {
      CollectChecked(child, paths);
    } else if (state == kStateChecked) {
      const std::u16string path = ItemPath(items_, child);
      if (!path.empty()) paths.push_back(path);
    } else if (state == kStatePartly) {
      CollectChecked(child, paths);
    }
  }
}

bool TargetSelection::ChoosesVersions(TreeItem store) const {
  for (TreeItem child = items_.FirstChild(store); child != kNoItem; child = items_.NextSibling(child)) {
    const int state = items_.State(child);
    if (IsVersionEntry(items_, child) && (state == kStateChecked || state == kStatePartly)) return true;
  }
  return false;
}

TreeItem TargetSelection::StoreItem() const {
  const TreeItem partition = PartitionItem();
  return partition == kNoItem ? kNoItem : FindChild(items_, partition, kStoreFolderName);
}

bool TargetSelection::ListsOnExpansion(TreeItem item) const {
  if (item != PartitionItem()) return true;
  const TreeItem first = items_.FirstChild(item);
  return first == kNoItem || items_.Name(first) != kStoreFolderName;
}

}  // namespace qtr
