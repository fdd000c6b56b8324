#include "devices/EnclosureLibrary.h"

#include <algorithm>
#include <vector>

#include "devices/DeviceServices.h"

namespace qtr {

// The ports are read afresh from the backend on every call, so loading
// holds nothing.
void CZelkUSBLib::ZelkUtilityLibLoad() {}

void CZelkUSBLib::ZelkUtilityLibUnload() {}

int CZelkUSBLib::ZelkUSBLib_vScanUSBPort(ButtonPortTable& table) {
  table = ButtonPortTable{};
  std::vector<ButtonPortRecord> ports;
  if (!Devices().ScanButtonPorts(ports)) return 1;
  const size_t count = std::min<size_t>(ports.size(), kMaxButtonPorts);
  std::copy_n(ports.begin(), count, table.ports.begin());
  table.count = static_cast<uint32_t>(count);
  return 0;
}

int CZelkUSBLib::ZelkUSBLib_bGetXVQStatus(ButtonPortRecord port) {
  return Devices().ButtonPortStatus(port);
}

}  // namespace qtr
