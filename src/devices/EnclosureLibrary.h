// The enclosure library's four operations, implemented over the device
// backend: on a PC without such an enclosure the scan finds no port.
#pragma once
#include <array>
#include <cstdint>

#include "devices/DeviceSystem.h"

namespace qtr {

inline constexpr int kMaxButtonPorts = 16;

#pragma pack(push, 1)
struct ButtonPortTable {
  uint32_t count = 0;
  std::array<ButtonPortRecord, kMaxButtonPorts> ports{};
};
#pragma pack(pop)
static_assert(sizeof(ButtonPortTable) == 4 + 16 * 50);

// Status values of ZelkUSBLib_bGetXVQStatus.
inline constexpr int kPortGone = 1;
inline constexpr int kButtonUp = 5;
inline constexpr int kButtonDown = 6;

class CZelkUSBLib {
 public:
  void ZelkUtilityLibLoad();
  // 0 on success; table.count then says how many records are valid (at most 16).
  int ZelkUSBLib_vScanUSBPort(ButtonPortTable& table);
  int ZelkUSBLib_bGetXVQStatus(ButtonPortRecord port);
  void ZelkUtilityLibUnload();
};

}  // namespace qtr
