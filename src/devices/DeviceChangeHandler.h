// What the File Backup page does when a disk interface comes or goes: the
// device list, the disk items of both trees, the target drive list, the
// password dialogs and the button polling. The window forwards its
// WM_DEVICECHANGE broadcasts here and renders through DiskPageView.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "devices/DeviceList.h"
#include "devices/EnclosureButton.h"

namespace qtr {

// The broadcasts of WM_DEVICECHANGE that matter here.
inline constexpr uint32_t kDeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
inline constexpr uint32_t kDeviceRemovePending = 0x8003;   // DBT_DEVICEREMOVEPENDING
inline constexpr uint32_t kDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE
inline constexpr uint32_t kDeviceInterfaceBroadcast = 5;   // DBT_DEVTYP_DEVICEINTERFACE

// The disk a tree has chosen: the tree's m_selectedDisk (-1 none) and
// m_diskRemoved (1 once that disk went away).
struct DiskChoice {
  int& selectedDisk;
  int& diskRemoved;
};

// The page as the arrival and removal handling sees it.
class DiskPageView {
 public:
  // One item for the disk in each tree, in device-number order; a tree that
  // already has an item with the disk's item data gets none.
  virtual void ShowDiskItems(const CUSBDevice& disk) = 0;
  // The items whose item data is deviceNumber + 3, wherever they stand.
  virtual void RemoveDiskItems(uint32_t deviceNumber) = 0;
  // "X:" at the top of the target drive list (and "X:\" among the target
  // roots) unless the list already holds it.
  virtual void AddTargetDrive(const std::u16string& drive) = 0;
  // Takes "X:" out of the list and the target roots; when it was the chosen
  // one the choice is cleared and the target tree no longer shows it.
  virtual void RemoveTargetDrive(const std::u16string& drive) = 0;
  virtual DiskChoice SourceChoice() = 0;
  virtual DiskChoice TargetChoice() = 0;
  // The management trees are emptied and filled again.
  virtual void RefillManagementTrees() = 0;
  // Modal dialogs for the listed disk with this interface path; the disk
  // may be gone again when they return.
  virtual void OpenPasswordSet(const std::u16string& path) = 0;
  virtual void AskPassword(const std::u16string& path) = 0;
  // A listed disk went away (the page container closes a pending prompt).
  virtual void DiskRemoved() = 0;
  // The list, the target list or the trees changed.
  virtual void DevicesChanged() = 0;

 protected:
  ~DiskPageView() = default;
};

// The "X:" texts of a partitions text "E: G: ", in its order.
std::vector<std::u16string> DriveTexts(const std::u16string& partitions);

class DeviceChangeHandler {
 public:
  DeviceChangeHandler(DeviceList& list, DiskPageView& page, EnclosureButton& button)
      : list_(list), page_(page), button_(button) {}

  // One WM_DEVICECHANGE: event (wParam), the broadcast's device type and,
  // for a device interface, its path (dbcc_name).
  void OnDeviceChange(uint32_t event, uint32_t deviceType, const std::u16string& path);

  // A disk interface arrived: false when it is not a supported disk.
  bool Arrived(const std::u16string& path);
  // A disk interface went away: false when it was not listed.
  bool Removed(const std::u16string& path);

  // A drive ("X:") came after its disk, as a volume does a moment after the
  // disk's interface: the listed disks' letters are read again, and a letter
  // of one of them becomes a target. False when no listed disk holds it.
  bool DriveArrived(const std::u16string& drive);
  // A drive went while its disk may stay (media removed, a dismount): the
  // letters are read again and the drive is no target any more; a pending
  // start is closed. False when no listed disk held it.
  bool DriveRemoved(const std::u16string& drive);

 private:
  DeviceList& list_;
  DiskPageView& page_;
  EnclosureButton& button_;
};

}  // namespace qtr
