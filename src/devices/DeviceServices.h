// The device backend and message seam the process uses: one place for both,
// installed at start-up (or by a test) before any device code runs.
#pragma once
#include <string_view>

#include "devices/DeviceSystem.h"
#include "devices/MessageSeam.h"

namespace qtr {

// The installed backend, or one that finds no device when none is installed.
DeviceSystem& Devices();
// The installed seam; without one messages are dropped.
MessageSeam* Messages();

void InstallDeviceSystem(DeviceSystem* system);
void InstallMessageSeam(MessageSeam* seam);

// Installs a backend and a seam for the life of the object and puts the
// previous ones back afterwards.
class ScopedDeviceServices {
 public:
  ScopedDeviceServices(DeviceSystem* system, MessageSeam* seam);
  ~ScopedDeviceServices();
  ScopedDeviceServices(const ScopedDeviceServices&) = delete;
  ScopedDeviceServices& operator=(const ScopedDeviceServices&) = delete;

 private:
  DeviceSystem* previousSystem_;
  MessageSeam* previousSeam_;
};

// Debug message box: shown at level 2 or less, cut to 1023 characters (the
// size of its formatting buffer); higher levels show nothing. Device
// failures use level 2.
inline constexpr int kDeviceFailureLevel = 2;
void DebugMessageBox(int level, std::u16string_view text);

// A plain message box without title, shown whatever the level.
void PlainMessageBox(std::u16string_view text);

}  // namespace qtr
