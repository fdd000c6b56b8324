// CUsbTreeCtrl: the target tree of the File Backup page. Its first root item
// is the partition chosen in the target drive list (item data 1) with the
// store folder "QTRPMB" beneath it; every supported USB disk follows as a
// root item for a whole-disk copy. Choosing one kind of target clears the
// other, and a disk chosen here is greyed in the source tree. Below the
// store's drive folders stands one item per version folder, newest first,
// labelled with its date.
#pragma once
#include <string>
#include <vector>

#include "trees/BackUpTreeCtrl.h"
#include "trees/TargetSelection.h"

namespace qtr {

class CUsbTreeCtrl : public CBackUpTreeCtrl {
 public:
  explicit CUsbTreeCtrl(std::u16string programFolder);
  ~CUsbTreeCtrl() override;

  // The tree whose item of a disk is greyed while that disk is chosen here.
  void SetSourceTree(CBackUpTreeCtrl* source);
  bool RemoveDiskItem(uint32_t deviceNumber) override;
  void UnselectDisk() override { selection_.UnselectDisk(); }

  // Shows driveRoot ("E:\" or "E:") as the first root item with its store
  // folder; an empty text only removes the partition item. A volume without
  // a file system shows state 5. False when the shell gives no display name.
  bool DisplayTree(const std::u16string& driveRoot);
  // The partition shown, with a trailing backslash; empty when none.
  const std::u16string& TargetRoot() const { return selection_.TargetRoot(); }

  bool HasPartitionItem() const;
  // Any root item: the partition or a disk.
  bool HasRootItem() const;
  // The partition item's state, 0 when there is none.
  int PartitionState() const;
  // The chosen partition cannot be used (not formatted).
  bool TargetUnusable() const { return PartitionState() == kStateDisabled; }

  // The checked store items' full paths, topmost only, in tree order.
  std::vector<std::u16string> CheckedStorePaths() const;
  // Replaces listFile (a name in the program folder) with CheckedStorePaths.
  // filepath.xml is not touched.
  bool WriteRestoreSelection(const std::u16string& listFileName = u"restoreTempPath.xml");

  // After a backup or a change in the store: a path on the shown partition
  // is listed again beneath its item (the partition root itself is shown
  // again from scratch); other paths change nothing.
  void RefreshPath(const std::u16string& path);

  // The version items' labels again, in the active language.
  void ShowTexts();

  // ShellChangeSink: a new version folder shows as its item; a folder
  // named like the versions folder never shows as a plain one.
  void AddPath(const std::u16string& path) override;
  // ShellChangeSink: a removed drive that is the shown partition takes its item away.
  void DriveArrived(const std::u16string& path) override;
  void DriveRemoved(const std::u16string& path) override;
  // The store is no source: nothing but the item changes.
  void RenameInPlace(const std::u16string& oldPath, const std::u16string& newPath) override {
    CInitTreeCtrl::RenameInPlace(oldPath, newPath);
  }

 protected:
  void OnStateIconClick(HTREEITEM item) override;
  LRESULT OnItemExpanding(const NMTREEVIEWW& info) override;
  ChildStates ChildStatesUnder(HTREEITEM parent) const override;
  HTREEITEM DriveParent() const override { return nullptr; }
  void FolderListed(HTREEITEM item, const std::u16string& folder) override;

 private:
  // Replaces the store item's version items (and a listed "~versions") with
  // one item per version folder on disk.
  void ShowVersions(TreeItem store, const std::u16string& storePath);

  CBackUpTreeCtrl* source_ = nullptr;
  TargetSelection selection_;
};

}  // namespace qtr
