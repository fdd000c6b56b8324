#include "devices/DeviceServices.h"

#include <atomic>

#include "platform/SystemError.h"

namespace qtr {
namespace {

// Stands in when no backend is installed: there is nothing to find or open.
class NoDevices final : public DeviceSystem {
 public:
  bool EnumerateDiskInterfaces(std::vector<std::u16string>& paths) override {
    paths.clear();
    return true;
  }
  std::unique_ptr<DeviceHandle> Open(const std::u16string&, DeviceAccess, uint32_t& error) override {
    error = kErrorFileNotFound;
    return nullptr;
  }
  std::vector<std::u16string> LogicalDriveRoots() override { return {}; }
  DriveKind DriveType(const std::u16string&) override { return DriveKind::NoRoot; }
  bool ScanButtonPorts(std::vector<ButtonPortRecord>& ports) override {
    ports.clear();
    return true;
  }
  int ButtonPortStatus(const ButtonPortRecord&) override { return 1; }
};

// Read by the worker and polling threads, written at start-up.
std::atomic<DeviceSystem*> installedSystem{nullptr};
std::atomic<MessageSeam*> installedSeam{nullptr};

constexpr size_t kDebugMessageChars = 1023;

}  // namespace

DeviceSystem& Devices() {
  static NoDevices none;
  DeviceSystem* system = installedSystem.load();
  return system != nullptr ? *system : none;
}

MessageSeam* Messages() {
  return installedSeam.load();
}

void InstallDeviceSystem(DeviceSystem* system) {
  installedSystem.store(system);
}
void InstallMessageSeam(MessageSeam* seam) {
  installedSeam.store(seam);
}

ScopedDeviceServices::ScopedDeviceServices(DeviceSystem* system, MessageSeam* seam)
    : previousSystem_(installedSystem.exchange(system)), previousSeam_(installedSeam.exchange(seam)) {}

ScopedDeviceServices::~ScopedDeviceServices() {
  installedSystem.store(previousSystem_);
  installedSeam.store(previousSeam_);
}

void DebugMessageBox(int level, std::u16string_view text) {
  if (level > kDeviceFailureLevel) return;
  PlainMessageBox(text.substr(0, kDebugMessageChars));
}

void PlainMessageBox(std::u16string_view text) {
  if (MessageSeam* seam = Messages()) seam->ShowPlainMessage(text);
}

}  // namespace qtr
