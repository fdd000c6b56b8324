// CUSBDevice: the record of one supported USB disk, and the disk-level
// operations on it. Each operation opens its own handle on the interface
// path through the installed device backend and closes it before returning.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "devices/DiskGeometry.h"
#include "devices/PasswordRecord.h"

namespace qtr {

class CUSBDevice {
 public:
  // Appends a filled record for every present, supported disk.
  static void ProbeExistMassStrogeDevice(std::vector<CUSBDevice>& list);

  // Checks the disk at m_devicePath and, when supported, fills every other field.
  bool IsHalvernDevice();
  // Refreshes m_deviceNumber and m_partitions ("E: G: "); returns m_partitions.
  std::u16string GetPartitions();
  bool GetDiskGeometry();
  // Disk size in bytes from READ CAPACITY(10), or (16) for a disk too large
  // for it; 0 when unknown.
  uint64_t GetCapacity();
  // Fills m_passwordRecord and m_passwordSectorFree; a disk without a valid
  // record gets a fresh one written to it when the sector is free. Returns 1
  // when a valid record with a password was read.
  int ReadPasswordRecord();
  // Writes record to the disk's password sector. m_passwordRecord is left
  // to the caller. Unsupported (nothing written) when the sector is not
  // known to lie outside every partition.
  enum class RecordWrite { OpenFailed, Failed, Written, Unsupported };
  RecordWrite WritePasswordRecord(const PasswordRecord& record);

  // One SCSI command with data in: direct request first, buffered on
  // refusal. commandLength is 1 to 16; data holds dataLength bytes.
  bool ExecuteSCSICommand(uint8_t* data, const uint8_t* command, uint32_t commandLength, uint32_t dataLength);

  // Process-wide count of ExecuteSCSICommand calls (shown in its open-failure message).
  static uint32_t ScsiCallCount();

  std::u16string m_devicePath;
  std::u16string m_displayName;
  std::u16string m_vendorName;
  int32_t m_unlocked = 0;
  PasswordRecord m_passwordRecord{};
  uint32_t m_deviceNumber = 0;
  DiskGeometry m_geometry{};
  std::u16string m_partitions;
  // True once the disk itself has reported m_deviceNumber.
  bool m_deviceNumberKnown = false;
  // True when the partition layout shows the password sector outside every
  // partition: only then may a password be set on the disk.
  bool m_passwordSectorFree = false;
};

// "\\.\E:" for 'E'.
std::u16string VolumePath(char16_t letter);

}  // namespace qtr
