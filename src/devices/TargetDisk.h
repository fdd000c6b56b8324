// Which listed disk holds a partition chosen in the target drive list, and
// whether its password must be asked before the partition can be used.
#pragma once
#include <string>

#include "devices/DeviceList.h"

namespace qtr {

struct TargetDisk {
  bool found = false;
  std::u16string path;  // the disk's interface path
  uint32_t deviceNumber = 0;
  bool locked = false;  // a password is set and was not entered yet
};

// drive is "X:". Disks whose drive letters are not known yet are asked
// again (the letters may come after the disk). Takes the list's lock.
TargetDisk FindTargetDisk(DeviceList& list, const std::u16string& drive);

}  // namespace qtr
