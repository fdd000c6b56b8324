// The decisions of the source tree: what a click on a check box does to the
// items (files, folders, drives, whole-disk items, the computer root), what
// is saved to the selection files, how a disk chosen here greys its item in
// the target tree, and which states restored or newly listed items take.
#pragma once
#include <functional>
#include <string>

#include "config/SelectionFiles.h"
#include "trees/TreeItems.h"

namespace qtr {

class SelectionStates;

class SourceSelection {
 public:
  using RemoveFile = std::function<void(const std::u16string& path)>;

  // selectedDisk is the tree's public field that the page also reads and
  // resets; programFolder ends with a separator.
  SourceSelection(TreeItems& items, int& selectedDisk, std::u16string programFolder, RemoveFile removeFile);

  // The target tree's items: a disk chosen here is greyed (5) there.
  void SetTarget(TreeItems* target) { target_ = target; }

  // The computer item (the first root item).
  TreeItem Root() const { return FirstRoot(items_); }

  // A click on the check-state picture of item.
  void Click(TreeItem item);

  // Clears the disk chosen here (its item and the greyed target item go back to 1).
  void UnselectDisk();
  // The disk went away: its items are gone from both trees, and a disk that
  // comes back under its number is not freed on its behalf later.
  void ForgetDisk(uint32_t deviceNumber);
  // Another tree greys or frees this tree's item of a disk.
  bool GreyDisk(uint32_t deviceNumber, bool grey);

  // The states of filepath.xml on the drives below the root, and the root's
  // own state after them (2 when something is checked, else 5).
  void RestoreDrives();
  // The state a newly listed child of parent takes.
  int NewChildState(TreeItem parent, const std::u16string& childPath, const SelectionStates& recorded) const;

  // An item was renamed in place: what the selection files record at or
  // below the old path moves to the new one, so that the selection does not
  // fall away at the next start. Files that record nothing there are left as they are.
  void PathRenamed(const std::u16string& oldPath, const std::u16string& newPath);

  int RootState() const;
  bool NothingSelected() const;

  const SelectionFiles& Files() const { return files_; }

 private:
  void ClickDisk(TreeItem item);
  void ClickPath(TreeItem item);
  void SaveChange(TreeItem item, int state);

  TreeItems& items_;
  int& selectedDisk_;
  std::u16string programFolder_;
  SelectionFiles files_;
  RemoveFile removeFile_;
  TreeItems* target_ = nullptr;
  int greyedInTarget_ = -1;  // device number whose target item this tree greyed
};

}  // namespace qtr
