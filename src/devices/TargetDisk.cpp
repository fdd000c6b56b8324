#include "devices/TargetDisk.h"

#include <algorithm>
#include <mutex>

#include "devices/DeviceChangeHandler.h"

namespace qtr {

TargetDisk FindTargetDisk(DeviceList& list, const std::u16string& drive) {
  TargetDisk target;
  if (drive.size() < 2) return target;
  const std::u16string letter = drive.substr(0, 2);
  const std::lock_guard lock(list.Mutex());
  for (size_t i = 0; i < list.Size(); ++i) {
    CUSBDevice& disk = list[i];
    if (disk.m_partitions.empty()) disk.GetPartitions();
    // Whole "X:" groups only, so no text that merely contains the letter matches.
    const std::vector<std::u16string> drives = DriveTexts(disk.m_partitions);
    if (std::find(drives.begin(), drives.end(), letter) == drives.end()) continue;
    target.found = true;
    target.path = disk.m_devicePath;
    target.deviceNumber = disk.m_deviceNumber;
    target.locked = HasPassword(disk.m_passwordRecord) && disk.m_unlocked == 0;
    break;
  }
  return target;
}

}  // namespace qtr
