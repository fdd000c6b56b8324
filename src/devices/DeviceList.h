// The process-wide list of supported disks, ascending by device number.
// Every change after the initial fill, and the start of a disk copy, happens
// while Mutex() is held; indexes are stable only while it is held or on the
// window thread. The thread that holds the lock may take it again: the
// removal handler deletes tree items under it, and the tree notifications
// that this sends on the same thread may read the list under the lock too.
#pragma once
#include <cstddef>
#include <mutex>
#include <string_view>
#include <vector>

#include "devices/UsbDevice.h"

namespace qtr {

class DeviceList {
 public:
  // Before the first element with a greater device number, so equal numbers
  // keep their arrival order. Returns the new element's index.
  size_t Insert(const CUSBDevice& device);
  // The first entry whose interface path equals path ignoring ASCII case;
  // -1 when none.
  int FindByPath(std::u16string_view path) const;
  // -1 when no entry has the number.
  int FindByDeviceNumber(uint32_t number) const;
  bool RemoveAt(size_t index);
  void Clear() { devices_.clear(); }

  size_t Size() const { return devices_.size(); }
  bool Empty() const { return devices_.empty(); }
  CUSBDevice& operator[](size_t index) { return devices_[index]; }
  const CUSBDevice& operator[](size_t index) const { return devices_[index]; }
  // The record at index when it exists.
  CUSBDevice* At(int index);

  std::recursive_mutex& Mutex() { return mutex_; }

  // The list of the running program.
  static DeviceList& Process();

 private:
  std::vector<CUSBDevice> devices_;
  std::recursive_mutex mutex_;
};

// The initial fill: probes every disk and inserts the supported ones.
void FillDeviceList(DeviceList& list);

}  // namespace qtr
