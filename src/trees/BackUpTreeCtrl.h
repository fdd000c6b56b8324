// CBackUpTreeCtrl: the source tree of the File Backup page. The computer
// with its local drives and, beside it, one item per supported USB disk for
// a whole-disk copy. Every check change is saved at once to filepath.xml and
// backupfullpath.xml; the check states come back from filepath.xml at start.
#pragma once
#include <string>

#include "trees/InitTreeCtrl.h"
#include "trees/SourceSelection.h"

namespace qtr {

class CUSBDevice;
class CUsbTreeCtrl;
class DeviceList;

class CBackUpTreeCtrl : public CInitTreeCtrl {
 public:
  // programFolder ends with a backslash: the selection files and init.xml live there.
  explicit CBackUpTreeCtrl(std::u16string programFolder);
  ~CBackUpTreeCtrl() override;

  // The tree whose item of a disk is greyed while that disk is chosen here.
  void SetTargetTree(CUsbTreeCtrl* target);

  // The initial fill: the computer item with every local drive (not a drive
  // of the listed USB disks, a CD-ROM or a network drive), each behind the
  // placeholder, and the check states of filepath.xml. The system-folder
  // switches are read from init.xml. Disk items come with InsertDiskItem.
  bool FillComputer(const DeviceList& disks);
  // Re-reads the three system-folder switches from init.xml.
  void ReadSystemFolderSwitches();

  // Disk items (item data device number + 3), in device-number order, one per disk.
  HTREEITEM InsertDiskItem(const CUSBDevice& disk);
  virtual bool RemoveDiskItem(uint32_t deviceNumber);
  // 5 while the disk is locked, 1 once it is open; false when no item shows the disk.
  bool SetDiskItemState(uint32_t deviceNumber, int state);
  HTREEITEM DiskItem(uint32_t deviceNumber) const;
  // Expands the first root item (the computer here, the partition in the target tree).
  void ExpandFirstRoot();

  // What the page container asks.
  int RootState() const;        // state of the first root item, 0 when there is none
  int FirstChildState() const;  // of the root's first child, 0 when none
  bool FilesSelected() const { return RootState() == kStatePartly; }
  bool NothingSelected() const;  // root 5, or its first child unchecked

  HTREEITEM RootItem() const;

  // Device number of the disk chosen in this tree, -1 for none.
  int m_selectedDisk = -1;
  // 1 when the chosen disk went away; cleared by whoever reports it.
  int m_diskRemoved = 0;

  // Used by the target tree: grey (5) or free (1) this tree's item of a disk.
  bool GreyDisk(uint32_t deviceNumber, bool grey);
  // Clears the whole disk chosen here (its items go back to 1).
  virtual void UnselectDisk() { selection_.UnselectDisk(); }
  // The disk's lock: a locked disk's item shows 5; an open disk's 5 goes
  // back to 1 unless the other tree has chosen that disk (which greys it here).
  void ShowDiskLock(uint32_t deviceNumber, bool locked, bool chosenInOtherTree);

  void DriveArrived(const std::u16string& path) override;
  void DriveRemoved(const std::u16string& path) override;
  // The selection files follow an item renamed in place.
  void RenameInPlace(const std::u16string& oldPath, const std::u16string& newPath) override;

 protected:
  void OnStateIconClick(HTREEITEM item) override;
  ChildStates ChildStatesUnder(HTREEITEM parent) const override;
  HTREEITEM DriveParent() const override { return RootItem(); }

  const std::u16string& ProgramFolderPath() const { return programFolder_; }
  CUsbTreeCtrl* target_ = nullptr;

 private:
  void UpdateRootState();

  std::u16string programFolder_;
  SourceSelection selection_;
  const DeviceList* disks_ = nullptr;  // whose drives are not local drives
};

}  // namespace qtr
