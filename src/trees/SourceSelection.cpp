#include "trees/SourceSelection.h"

#include <utility>

#include "config/PathList.h"
#include "config/SelectionPath.h"
#include "config/SelectionStates.h"
#include "trees/CheckRules.h"
#include "trees/TreePaths.h"

namespace qtr {

SourceSelection::SourceSelection(TreeItems& items, int& selectedDisk, std::u16string programFolder,
                                 RemoveFile removeFile)
    : items_(items),
      selectedDisk_(selectedDisk),
      programFolder_(std::move(programFolder)),
      files_(programFolder_),
      removeFile_(std::move(removeFile)) {}

void SourceSelection::Click(TreeItem item) {
  if (item == kNoItem) return;
  const TreeItem root = Root();
  if (items_.State(item) == kStateDisabled && item != root) return;
  if (IsDiskData(items_.Data(item)) && items_.Parent(item) == kNoItem) {
    ClickDisk(item);
  } else {
    ClickPath(item);
  }
}

void SourceSelection::ClickDisk(TreeItem item) {
  const int state = items_.State(item);
  if (state == kStateChecked) {
    UnselectDisk();
    return;
  }
  if (state != kStateUnchecked && state != kStateDiskFree) return;

  const TreeItem root = Root();
  if (root != kNoItem && items_.State(root) != kStateDisabled) {
    // A whole-disk copy replaces the file selection: every drive goes back to
    // unchecked, with what was read below it, and both files go.
    items_.SetState(root, kStateDisabled);
    for (TreeItem drive = items_.FirstChild(root); drive != kNoItem; drive = items_.NextSibling(drive)) {
      const int driveState = items_.State(drive);
      if (driveState == kStatePartly || driveState == kStateChecked)
        SetSubtreeState(items_, drive, kStateUnchecked);
    }
    if (removeFile_) {
      removeFile_(files_.BackupPathsPath());
      removeFile_(files_.CheckStatePath());
    }
  }
  UnselectDisk();
  items_.SetState(item, kStateChecked);
  selectedDisk_ = static_cast<int>(items_.Data(item) - kDiskDataBase);
  if (target_ != nullptr) {
    const TreeItem targetItem = FindRootByData(*target_, items_.Data(item));
    if (targetItem != kNoItem) {
      target_->SetState(targetItem, kStateDisabled);
      greyedInTarget_ = selectedDisk_;
    }
  }
}

void SourceSelection::UnselectDisk() {
  if (selectedDisk_ >= 0) {
    const TreeItem chosen = FindRootByData(items_, DiskData(static_cast<uint32_t>(selectedDisk_)));
    if (chosen != kNoItem && items_.State(chosen) == kStateChecked) items_.SetState(chosen, kStateUnchecked);
  }
  selectedDisk_ = -1;
  if (greyedInTarget_ >= 0 && target_ != nullptr) {
    const TreeItem greyed = FindRootByData(*target_, DiskData(static_cast<uint32_t>(greyedInTarget_)));
    if (greyed != kNoItem && target_->State(greyed) == kStateDisabled)
      target_->SetState(greyed, kStateUnchecked);
  }
  greyedInTarget_ = -1;
}

void SourceSelection::ForgetDisk(uint32_t deviceNumber) {
  if (greyedInTarget_ == static_cast<int>(deviceNumber)) greyedInTarget_ = -1;
}

bool SourceSelection::GreyDisk(uint32_t deviceNumber, bool grey) {
  const TreeItem item = FindRootByData(items_, DiskData(deviceNumber));
  if (item == kNoItem) return false;
  items_.SetState(item, grey ? kStateDisabled : kStateUnchecked);
  return true;
}

void SourceSelection::ClickPath(TreeItem item) {
  if (selectedDisk_ >= 0 || greyedInTarget_ >= 0) UnselectDisk();
  const TreeItem root = Root();
  if (item == root) {
    // The computer: checks every drive, or unchecks them when all are checked.
    bool allChecked = items_.FirstChild(root) != kNoItem;
    for (TreeItem drive = items_.FirstChild(root); drive != kNoItem; drive = items_.NextSibling(drive)) {
      if (items_.State(drive) != kStateChecked) allChecked = false;
    }
    const int state = allChecked ? kStateUnchecked : kStateChecked;
    for (TreeItem drive = items_.FirstChild(root); drive != kNoItem; drive = items_.NextSibling(drive)) {
      if (items_.State(drive) == kStateDisabled) continue;
      SetSubtreeState(items_, drive, state);
      SaveChange(drive, state);
    }
    items_.SetState(root, state == kStateChecked ? kStatePartly : kStateDisabled);
    return;
  }
  const int state = items_.State(item) == kStateChecked ? kStateUnchecked : kStateChecked;
  items_.Select(item);
  SetSubtreeState(items_, item, state);
  ApplyParentRule(items_, item, state, root);
  SaveChange(item, state);
}

void SourceSelection::SaveChange(TreeItem item, int state) {
  const std::u16string path = ItemPath(items_, item);
  if (path.empty()) return;
  const TreeItem root = Root();
  const ChildrenOf childrenOf = [this, root](const std::u16string& folder) {
    const TreeItem shown = FindItemByPath(items_, root, folder);
    return shown == kNoItem ? std::vector<std::u16string>() : ChildPaths(items_, shown);
  };
  files_.ApplyCheckChange(path, static_cast<CheckState>(state), childrenOf);
}

void SourceSelection::RestoreDrives() {
  const TreeItem root = Root();
  if (root == kNoItem) return;
  SelectionStates recorded;
  recorded.Load(files_.CheckStatePath());
  bool any = false;
  for (TreeItem drive = items_.FirstChild(root); drive != kNoItem; drive = items_.NextSibling(drive)) {
    const int state = static_cast<int>(recorded.StateOf(ItemPath(items_, drive)));
    items_.SetState(drive, state);
    if (state != kStateUnchecked) any = true;
  }
  items_.SetState(root, any ? kStatePartly : kStateDisabled);
}

int SourceSelection::NewChildState(TreeItem parent, const std::u16string& childPath,
                                   const SelectionStates& recorded) const {
  const int parentState = items_.State(parent);
  if (parentState == kStatePartly) return static_cast<int>(recorded.StateOf(childPath));
  if (parentState == kStateNone) return kStateUnchecked;
  return parentState;
}

namespace {

// Replaces the old prefix of every path at or below oldPath; false when none was.
bool RenameIn(std::vector<std::u16string>& paths, const std::u16string& oldPath,
              const std::u16string& newPath) {
  bool changed = false;
  for (std::u16string& path : paths) {
    if (!IsSameOrBelow(path, oldPath)) continue;
    path = newPath + path.substr(oldPath.size());
    changed = true;
  }
  return changed;
}

}  // namespace

void SourceSelection::PathRenamed(const std::u16string& oldPath, const std::u16string& newPath) {
  if (oldPath.empty() || newPath.empty() || SamePath(oldPath, newPath)) return;
  std::vector<std::u16string> checked;
  if (LoadCheckedPaths(files_.CheckStatePath(), checked) && RenameIn(checked, oldPath, newPath)) {
    WriteCheckedPaths(files_.CheckStatePath(), checked);
  }
  std::vector<std::u16string> topmost;
  if (LoadPathList(files_.BackupPathsPath(), topmost) && RenameIn(topmost, oldPath, newPath)) {
    WritePathList(files_.BackupPathsPath(), topmost);
  }
}

int SourceSelection::RootState() const {
  const TreeItem root = Root();
  return root == kNoItem ? kStateNone : items_.State(root);
}

bool SourceSelection::NothingSelected() const {
  const TreeItem root = Root();
  if (root == kNoItem || items_.State(root) == kStateDisabled) return true;
  for (TreeItem drive = items_.FirstChild(root); drive != kNoItem; drive = items_.NextSibling(drive)) {
    const int state = items_.State(drive);
    if (state == kStateChecked || state == kStatePartly) return false;
  }
  return true;
}

}  // namespace qtr
