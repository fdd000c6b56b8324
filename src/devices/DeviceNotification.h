// The registration of the File Backup window for disk interface arrival and
// removal. With the real disks the system sends WM_DEVICECHANGE; with the
// simulated ones their plug switches are read on the registering thread
// every kPlugPollMs and the same broadcast (DEV_BROADCAST_DEVICEINTERFACE_W
// naming the interface path) is sent, so one handler serves both.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "devices/SimulatedDevices.h"

namespace qtr {

inline constexpr UINT kPlugPollMs = 250;

// Replaces an earlier registration. False (after a debug message) when the
// system refuses it; then no broadcast arrives.
bool RegisterUSBDeviceNotify(HWND window);
void UnregisterUSBDeviceNotify();
HWND RegisteredDeviceWindow();

// Reads the simulated disks' plugs now and sends a broadcast to the
// registered window for each change; nothing with the real disks.
void PollSimulatedPlugs();

// A simulated disk's volumes with a folder get their drive letters linked
// (mounted) or unlinked, as a person trying the program expects.
void ShowSimulatedVolumes(const SimulatedDevices::Disk& disk, bool mounted);
// The same, followed by the shell's drive-added or drive-removed
// notification for each volume, as the system raises it on a real PC.
void AnnounceSimulatedVolumes(const SimulatedDevices::Disk& disk, bool mounted);

// Sends window the broadcast the system sends for a disk interface.
LRESULT SendDiskInterfaceBroadcast(HWND window, uint32_t event, const std::u16string& path);

// The device type of a WM_DEVICECHANGE broadcast (lParam) and, for a device
// interface, its path; false when lParam carries none.
bool ReadDeviceBroadcast(LPARAM l, uint32_t& deviceType, std::u16string& path);

}  // namespace qtr
