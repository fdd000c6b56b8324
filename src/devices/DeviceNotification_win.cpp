#include "devices/DeviceNotification.h"

#include <dbt.h>
#include <shlobj.h>

#include <cstddef>
#include <vector>

#include "devices/DeviceMessages.h"
#include "devices/DeviceServices.h"
#include "devices/SimulatedDevices.h"
#include "platform/NumberText.h"
#include "platform/ShellMemory.h"
#include "platform/WineHost.h"

namespace qtr {
namespace {

// {53F56307-B6BF-11D0-94F2-00A0C91EFB8B}
constexpr GUID kDiskInterfaceClass = {
    0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};

struct Registration {
  HDEVNOTIFY handle = nullptr;
  HWND window = nullptr;
  UINT_PTR plugTimer = 0;
  bool polling = false;  // a broadcast's handler may run a modal loop that fires the timer again
};

Registration& Current() {
  static Registration registration;
  return registration;
}

SimulatedDevices* Simulated() {
  return dynamic_cast<SimulatedDevices*>(&Devices());
}

void CALLBACK PlugTimer(HWND, UINT, UINT_PTR, DWORD) {
  PollSimulatedPlugs();
}

}  // namespace

bool RegisterUSBDeviceNotify(HWND window) {
  UnregisterUSBDeviceNotify();
  Registration& current = Current();
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = kDiskInterfaceClass;
  current.handle = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  const DWORD error = GetLastError();
  SimulatedDevices* simulated = Simulated();
  if (current.handle == nullptr && simulated == nullptr) {
    DebugMessageBox(
        kDeviceFailureLevel,
        u"CUSBDevice::RegisterUSBDeviceNotify=>RegisterDeviceNotification failed: " + DecimalText(error));
    return false;
  }
  current.window = window;
  if (simulated != nullptr) {
    // What was plugged before now is found by the first scan, not announced.
    simulated->PollPresence();
    current.plugTimer = SetTimer(nullptr, 0, kPlugPollMs, &PlugTimer);
  }
  return true;
}

void UnregisterUSBDeviceNotify() {
  Registration& current = Current();
  if (current.handle != nullptr) UnregisterDeviceNotification(current.handle);
  if (current.plugTimer != 0) KillTimer(nullptr, current.plugTimer);
  current.handle = nullptr;
  current.plugTimer = 0;
  current.window = nullptr;
}

HWND RegisteredDeviceWindow() {
  return Current().window;
}

void PollSimulatedPlugs() {
  Registration& current = Current();
  SimulatedDevices* simulated = Simulated();
  if (simulated == nullptr || current.window == nullptr || current.polling) return;
  current.polling = true;
  for (const SimulatedDevices::PresenceChange& change : simulated->PollPresence()) {
    if (current.window == nullptr) break;
    if (change.volumes) {
      AnnounceSimulatedVolumes(simulated->DiskAt(change.disk), change.arrived);
      continue;
    }
    SendDiskInterfaceBroadcast(current.window, change.arrived ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                               change.path);
  }
  current.polling = false;
}

void ShowSimulatedVolumes(const SimulatedDevices::Disk& disk, bool mounted) {
  for (const SimulatedDevices::Volume& volume : disk.volumes) {
    if (volume.folder.empty()) continue;
    const auto letter = static_cast<wchar_t>(volume.letter);
    if (mounted)
      LinkDriveLetter(letter, std::wstring(volume.folder.begin(), volume.folder.end()));
    else
      UnlinkDriveLetter(letter);
  }
}

void AnnounceSimulatedVolumes(const SimulatedDevices::Disk& disk, bool mounted) {
  // The shell names a drive by an item list made while the drive is there:
  // a coming one after its link, a going one before.
  if (mounted) ShowSimulatedVolumes(disk, true);
  std::vector<ItemIdList> items;
  for (const SimulatedDevices::Volume& volume : disk.volumes) {
    const wchar_t root[] = {static_cast<wchar_t>(volume.letter), L':', L'\\', L'\0'};
    if (ItemIdList item(ILCreateFromPathW(root)); item) items.push_back(std::move(item));
  }
  if (!mounted) ShowSimulatedVolumes(disk, false);
  for (ItemIdList& item : items) {
    SHChangeNotify(mounted ? SHCNE_DRIVEADD : SHCNE_DRIVEREMOVED, SHCNF_IDLIST | SHCNF_FLUSH, item.Get(),
                   nullptr);
    item.Reset();
  }
}

LRESULT SendDiskInterfaceBroadcast(HWND window, uint32_t event, const std::u16string& path) {
  // The name runs past the end of the fixed part, as in the system's broadcasts.
  std::vector<std::byte> buffer(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) +
                                (path.size() + 1) * sizeof(wchar_t));
  auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(buffer.data());
  broadcast->dbcc_size = static_cast<DWORD>(buffer.size());
  broadcast->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  broadcast->dbcc_classguid = kDiskInterfaceClass;
  wchar_t* name = broadcast->dbcc_name;
  for (size_t i = 0; i < path.size(); ++i) name[i] = static_cast<wchar_t>(path[i]);
  name[path.size()] = L'\0';
  return SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(broadcast));
}

bool ReadDeviceBroadcast(LPARAM l, uint32_t& deviceType, std::u16string& path) {
  path.clear();
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(l);
  if (header == nullptr || header->dbch_size < sizeof(DEV_BROADCAST_HDR)) return false;
  deviceType = header->dbch_devicetype;
  if (deviceType != DBT_DEVTYP_DEVICEINTERFACE) return true;
  const size_t nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  if (header->dbch_size <= nameOffset) return true;
  // The name ends at its terminator or at the end of the broadcast, whichever comes first.
  const auto* broadcast = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(l);
  const size_t limit = (header->dbch_size - nameOffset) / sizeof(wchar_t);
  for (size_t i = 0; i < limit && broadcast->dbcc_name[i] != L'\0'; ++i)
    path.push_back(static_cast<char16_t>(broadcast->dbcc_name[i]));
  return true;
}

}  // namespace qtr
