#include <windows.h>

#include <memory>

#include "config/LanguageText.h"
#include "devices/DeviceNotification.h"
#include "devices/DeviceServices.h"
#include "devices/ProgramDevices.h"
#include "devices/SimulatedDevices.h"
#include "devices/Win32DeviceSystem.h"

namespace qtr {
namespace {

// Owned here for the life of the process; the device code reaches them
// through DeviceServices.
struct ProgramDeviceServices {
  std::unique_ptr<DeviceSystem> system;
  std::unique_ptr<MessageSeam> messages;
};

ProgramDeviceServices& Owned() {
  static ProgramDeviceServices services;
  return services;
}

}  // namespace

bool InstallProgramDevices(const std::u16string& programFolder, std::u16string& message) {
  ProgramDeviceServices& owned = Owned();
  if (!owned.messages) owned.messages = MakeMessageBoxSeam();
  bool ok = true;
  std::unique_ptr<DeviceSystem> system;
  const std::u16string description = programFolder + std::u16string(kSimulatedDisksFile);
  const std::wstring wide(description.begin(), description.end());
  if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) {
    std::u16string problem;
    system = SimulatedDevices::Load(description, u"", problem);
    ok = system != nullptr;
    // Whoever reads this may not know where the description is, nor what
    // the program does without it.
    if (!ok) message = FillText(DisplayText(TextId::SimulatedDisksUnusable), {description, problem});
  }
  if (auto* simulated = dynamic_cast<SimulatedDevices*>(system.get()))
    for (size_t i = 0; i < simulated->DiskCount(); ++i)
      ShowSimulatedVolumes(simulated->DiskAt(i), simulated->VolumesMounted(i));
  if (!system) system = MakeWin32DeviceSystem();
  // The new backend is installed before the old one is released.
  InstallDeviceSystem(system.get());
  InstallMessageSeam(owned.messages.get());
  owned.system = std::move(system);
  return ok;
}

}  // namespace qtr
