// The device seam: every call the storage-device code makes to the system
// (disk interface enumeration, SCSI data-in commands, device number,
// geometry, logical drives, raw sector I/O, the enclosure button ports).
// One backend talks to Windows, the other simulates disks on image files.
//
// Thread safety: a backend may be called from several threads at once (the
// window thread, the disk-copy worker, the button polling threads); a single
// DeviceHandle is used by one thread at a time.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "devices/DiskGeometry.h"
#include "devices/PartitionTable.h"
#include "platform/SystemError.h"

namespace qtr {

// GetDriveType results used here.
enum class DriveKind : uint32_t {
  Unknown = 0,
  NoRoot = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6
};

// Access asked for when opening a device path.
enum class DeviceAccess { Read, ReadWrite };

// An open disk or volume. Every failing call leaves its Win32 error code in
// error; a successful one leaves error untouched.
class DeviceHandle {
 public:
  virtual ~DeviceHandle() = default;

  // SCSI command with data in, the driver writing straight into data
  // (IOCTL_SCSI_PASS_THROUGH_DIRECT).
  virtual bool ScsiDataInDirect(const uint8_t* cdb, size_t cdbLength, uint8_t* data, uint32_t dataLength,
                                uint32_t& error) = 0;
  // The same command with the data carried inside the request buffer
  // (IOCTL_SCSI_PASS_THROUGH); dataLength is at most kBufferedScsiDataMax.
  virtual bool ScsiDataInBuffered(const uint8_t* cdb, size_t cdbLength, uint8_t* data, uint32_t dataLength,
                                  uint32_t& error) = 0;
  // IOCTL_STORAGE_GET_DEVICE_NUMBER: the DeviceNumber member.
  virtual bool GetDeviceNumber(uint32_t& number, uint32_t& error) = 0;
  // IOCTL_DISK_GET_DRIVE_GEOMETRY.
  virtual bool GetGeometry(DiskGeometry& geometry, uint32_t& error) = 0;
  // IOCTL_DISK_GET_DRIVE_LAYOUT_EX: the extents of the used partition
  // entries (none on a disk without a partition table).
  virtual bool GetDriveLayout(std::vector<PartitionExtent>& partitions, uint32_t& error) = 0;
  // Raw I/O at the handle's position, which advances by the bytes moved. On
  // a disk the position and length are whole sectors, as the disk driver
  // demands.
  virtual bool Read(uint8_t* buffer, uint32_t length, uint32_t& done, uint32_t& error) = 0;
  virtual bool Write(const uint8_t* buffer, uint32_t length, uint32_t& done, uint32_t& error) = 0;
  // Absolute position from the start of the disk.
  virtual bool Seek(uint64_t offset, uint32_t& error) = 0;
};

inline constexpr uint32_t kBufferedScsiDataMax = 512;

// One enclosure button port as the enclosure library keeps it: opaque bytes
// that the polling code copies whole and hands back.
using ButtonPortRecord = std::array<uint8_t, 50>;

class DeviceSystem {
 public:
  virtual ~DeviceSystem() = default;

  // Interface paths of the present disks (GUID_DEVINTERFACE_DISK), in the
  // order the system lists them. False when the enumeration could not start;
  // paths found before a later failure are kept.
  virtual bool EnumerateDiskInterfaces(std::vector<std::u16string>& paths) = 0;
  // A disk interface path or a volume path "\\.\X:"; null with error set on failure.
  virtual std::unique_ptr<DeviceHandle> Open(const std::u16string& path, DeviceAccess access,
                                             uint32_t& error) = 0;
  // Root strings "C:\" of the logical drives, in drive-letter order.
  virtual std::vector<std::u16string> LogicalDriveRoots() = 0;
  virtual DriveKind DriveType(const std::u16string& root) = 0;

  // Ports of the enclosures whose push button can be read; false when the
  // scan failed.
  virtual bool ScanButtonPorts(std::vector<ButtonPortRecord>& ports) = 0;
  // 1 = port gone (stop polling it), 6 = button down, 5 = button up, other = no change.
  virtual int ButtonPortStatus(const ButtonPortRecord& port) = 0;
};

}  // namespace qtr
