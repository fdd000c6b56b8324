#include "devices/DeviceChangeHandler.h"

#include <algorithm>
#include <mutex>

#include "devices/DeviceServices.h"

namespace qtr {

namespace {

bool HoldsDrive(const CUSBDevice& disk, const std::u16string& drive) {
  const std::vector<std::u16string> drives = DriveTexts(disk.m_partitions);
  return std::any_of(drives.begin(), drives.end(), [&](const std::u16string& held) {
    return drive.size() >= 2 && (held[0] | 0x20) == (drive[0] | 0x20);
  });
}

}  // namespace

std::vector<std::u16string> DriveTexts(const std::u16string& partitions) {
  std::vector<std::u16string> drives;
  // Groups of three: letter, colon, space.
  for (size_t at = 0; at + 2 <= partitions.size(); at += 3)
    if (partitions[at + 1] == u':') drives.push_back(partitions.substr(at, 2));
  return drives;
}

void DeviceChangeHandler::OnDeviceChange(uint32_t event, uint32_t deviceType, const std::u16string& path) {
  switch (event) {
    case kDeviceArrival:
      if (deviceType == kDeviceInterfaceBroadcast) Arrived(path);
      break;
    case kDeviceRemovePending:
      // Level 4: never shown; the removal that follows does the work.
      DebugMessageBox(4, u"OnDeviceChange=> DBT_DEVICEREMOVEPENDING");
      break;
    case kDeviceRemoveComplete:
      if (deviceType == kDeviceInterfaceBroadcast) Removed(path);
      break;
    default: break;
  }
}

bool DeviceChangeHandler::Arrived(const std::u16string& path) {
  CUSBDevice disk;
  disk.m_devicePath = path;
  if (path.empty() || !disk.IsHalvernDevice()) return false;
  if (disk.m_partitions.empty()) disk.GetPartitions();

  // The system may announce one disk twice, or a removal may have been
  // missed: such a disk keeps one entry, refreshed, instead of a second one
  // that a later removal would leave behind.
  bool newDisk = true;
  {
    const std::lock_guard lock(list_.Mutex());
    int listed = list_.FindByPath(path);
    const bool samePath = listed >= 0;
    if (listed < 0) listed = list_.FindByDeviceNumber(disk.m_deviceNumber);
    if (CUSBDevice* entry = list_.At(listed)) {
      if (samePath) disk.m_unlocked = entry->m_unlocked;
      list_.RemoveAt(static_cast<size_t>(listed));
      newDisk = !samePath;
    }
    list_.Insert(disk);
  }
  // Both calls leave out what is already shown. Each letter goes to the
  // top of the list, so the last comes first and the disk's letters keep their order.
  page_.ShowDiskItems(disk);
  const std::vector<std::u16string> drives = DriveTexts(disk.m_partitions);
  for (auto drive = drives.rbegin(); drive != drives.rend(); ++drive) page_.AddTargetDrive(*drive);
  page_.RefillManagementTrees();
  page_.DevicesChanged();

  if (newDisk) {
    if (HasPassword(disk.m_passwordRecord) && disk.m_unlocked == 0)
      page_.AskPassword(path);
    else if (disk.m_passwordSectorFree)  // else the dialog could only refuse
      page_.OpenPasswordSet(path);
  }
  button_.Restart(!list_.Empty());
  return true;
}

bool DeviceChangeHandler::Removed(const std::u16string& path) {
  uint32_t number = 0;
  std::u16string partitions;
  {
    const std::lock_guard lock(list_.Mutex());
    const int listed = list_.FindByPath(path);
    const CUSBDevice* entry = list_.At(listed);
    if (entry == nullptr) return false;
    number = entry->m_deviceNumber;
    partitions = entry->m_partitions;
    // The items are found by their data, not by their place beside the
    // list, so a tree out of step with the list never loses another disk.
    page_.RemoveDiskItems(number);
    list_.RemoveAt(static_cast<size_t>(listed));
  }
  for (DiskChoice choice : {page_.SourceChoice(), page_.TargetChoice()})
    if (choice.selectedDisk == static_cast<int>(number)) {
      choice.diskRemoved = 1;
      choice.selectedDisk = -1;
    }
  // A letter of a disk that is gone is no target any more.
  for (const std::u16string& drive : DriveTexts(partitions)) page_.RemoveTargetDrive(drive);
  button_.Restart(!list_.Empty());
  page_.DiskRemoved();
  page_.DevicesChanged();
  return true;
}

bool DeviceChangeHandler::DriveArrived(const std::u16string& drive) {
  bool held = false;
  {
    const std::lock_guard lock(list_.Mutex());
    for (size_t i = 0; i < list_.Size(); ++i) {
      list_[i].GetPartitions();
      held = held || HoldsDrive(list_[i], drive);
    }
  }
  if (!held) return false;
  page_.AddTargetDrive(drive.substr(0, 2));
  page_.DevicesChanged();
  return true;
}

bool DeviceChangeHandler::DriveRemoved(const std::u16string& drive) {
  bool held = false;
  {
    const std::lock_guard lock(list_.Mutex());
    for (size_t i = 0; i < list_.Size(); ++i) {
      held = held || HoldsDrive(list_[i], drive);
      list_[i].GetPartitions();
    }
  }
  if (!held) return false;
  page_.RemoveTargetDrive(drive.substr(0, 2));
  page_.DiskRemoved();
  page_.DevicesChanged();
  return true;
}

}  // namespace qtr
