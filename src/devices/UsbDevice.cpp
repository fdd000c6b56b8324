#include "devices/UsbDevice.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "devices/CapacityAnswer.h"
#include "devices/DeviceMessages.h"
#include "devices/DeviceServices.h"
#include "devices/InquiryAnswer.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

std::atomic<uint32_t> scsiCalls{0};

constexpr uint32_t kMaxCommandLength = 16;

}  // namespace

std::u16string VolumePath(char16_t letter) {
  return std::u16string(u"\\\\.\\") + letter + u":";
}

uint32_t CUSBDevice::ScsiCallCount() {
  return scsiCalls.load();
}

void CUSBDevice::ProbeExistMassStrogeDevice(std::vector<CUSBDevice>& list) {
  std::vector<std::u16string> paths;
  Devices().EnumerateDiskInterfaces(paths);
  for (const std::u16string& path : paths) {
    CUSBDevice device;
    device.m_devicePath = path;
    if (!device.m_devicePath.empty() && device.IsHalvernDevice()) list.push_back(device);
  }
}

bool CUSBDevice::ExecuteSCSICommand(uint8_t* data, const uint8_t* command, uint32_t commandLength,
                                    uint32_t dataLength) {
  const uint32_t call = scsiCalls.fetch_add(1) + 1;
  if (data == nullptr || command == nullptr || commandLength == 0 || commandLength > kMaxCommandLength)
    return false;
  uint32_t error = 0;
  auto handle = Devices().Open(m_devicePath, DeviceAccess::ReadWrite, error);
  if (!handle) {
    DebugMessageBox(kDeviceFailureLevel, ScsiOpenFailedMessage(call, m_devicePath, error));
    return false;
  }
  std::memset(data, 0, dataLength);
  if (handle->ScsiDataInDirect(command, commandLength, data, dataLength, error)) return true;
  DebugMessageBox(kDeviceFailureLevel, ScsiDirectFailedMessage(m_devicePath, error));
  // The request buffer carries at most 512 bytes of data.
  if (dataLength > kBufferedScsiDataMax) {
    DebugMessageBox(kDeviceFailureLevel, ScsiBufferedFailedMessage(m_devicePath, kErrorInvalidParameter));
    return false;
  }
  if (handle->ScsiDataInBuffered(command, commandLength, data, dataLength, error)) return true;
  DebugMessageBox(kDeviceFailureLevel, ScsiBufferedFailedMessage(m_devicePath, error));
  return false;
}

bool CUSBDevice::IsHalvernDevice() {
  if (m_devicePath.empty()) return false;
  static constexpr uint8_t kInquiry[6] = {0x12, 0x00, 0x00, 0x00, kInquiryLength, 0x00};
  uint8_t answer[kInquiryLength] = {};
  if (!ExecuteSCSICommand(answer, kInquiry, sizeof kInquiry, sizeof answer)) return false;
  const InquiryAnswer inquiry = ParseInquiryAnswer(answer, sizeof answer);
  if (!inquiry.supported) return false;
  m_displayName = inquiry.displayName;
  m_vendorName = VendorNameFor(inquiry.vendor);
  GetPartitions();
  GetDiskGeometry();
  ReadPasswordRecord();
  return true;
}

std::u16string CUSBDevice::GetPartitions() {
  DeviceSystem& devices = Devices();
  uint32_t error = 0;
  if (auto disk = devices.Open(m_devicePath, DeviceAccess::Read, error)) {
    uint32_t number = 0;
    if (disk->GetDeviceNumber(number, error)) {
      m_deviceNumber = number;
      m_deviceNumberKnown = true;
    }
  }
  m_partitions.clear();
  // Until the disk has answered once its number is a guess (0 at first, the
  // system disk's number): matching volumes against it could claim C:. A
  // number it gave before stays good when one later request fails.
  if (!m_deviceNumberKnown) return m_partitions;
  for (const std::u16string& root : devices.LogicalDriveRoots()) {
    if (root.empty()) continue;
    const char16_t letter = root[0];
    if ((letter == u'A' || letter == u'a') && devices.DriveType(root) == DriveKind::Removable) continue;
    auto volume = devices.Open(VolumePath(letter), DeviceAccess::Read, error);
    if (!volume) continue;
    uint32_t number = 0;
    if (volume->GetDeviceNumber(number, error) && number == m_deviceNumber) {
      m_partitions += letter;
      m_partitions += u": ";
    }
  }
  return m_partitions;
}

bool CUSBDevice::GetDiskGeometry() {
  uint32_t error = 0;
  auto disk = Devices().Open(m_devicePath, DeviceAccess::ReadWrite, error);
  if (!disk) return false;
  DiskGeometry geometry;
  if (!disk->GetGeometry(geometry, error)) return false;
  m_geometry = geometry;
  return true;
}

uint64_t CUSBDevice::GetCapacity() {
  static constexpr uint8_t kReadCapacity10[10] = {0x25};
  static constexpr uint8_t kReadCapacity16[16] = {0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0, 0};
  uint8_t answer10[kReadCapacity10Length] = {};
  if (ExecuteSCSICommand(answer10, kReadCapacity10, sizeof kReadCapacity10, sizeof answer10)) {
    if (const uint64_t capacity = CapacityFromReadCapacity10(answer10, sizeof answer10)) return capacity;
  }
  uint8_t answer16[kReadCapacity16Length] = {};
  if (ExecuteSCSICommand(answer16, kReadCapacity16, sizeof kReadCapacity16, sizeof answer16))
    return CapacityFromReadCapacity16(answer16, sizeof answer16);
  return 0;
}

namespace {

// The record's sector, read whole: raw disk I/O moves whole sectors, and a
// bridge may report 4,096-byte ones. The record is its first 512 bytes.
bool ReadRecordSector(DeviceHandle& disk, uint64_t offset, uint32_t sectorSize, std::vector<uint8_t>& sector,
                      uint32_t& error) {
  sector.assign(sectorSize, 0);
  uint32_t read = 0;
  return disk.Seek(offset, error) && disk.Read(sector.data(), sectorSize, read, error) && read == sectorSize;
}

bool WriteRecordSector(DeviceHandle& disk, uint64_t offset, std::vector<uint8_t>& sector,
                       const PasswordRecord& record, uint32_t& error) {
  std::copy(record.begin(), record.end(), sector.begin());
  uint32_t written = 0;
  const uint32_t size = static_cast<uint32_t>(sector.size());
  return disk.Seek(offset, error) && disk.Write(sector.data(), size, written, error) && written == size;
}

}  // namespace

int CUSBDevice::ReadPasswordRecord() {
  uint32_t error = 0;
  auto disk = Devices().Open(m_devicePath, DeviceAccess::ReadWrite, error);
  if (!disk) {
    PlainMessageBox(PasswordOpenFailedMessage());
    return 0;
  }
  // Without a usable geometry there is no record sector; touching any other
  // sector (offset 0 above all) could destroy the disk's partition table.
  const std::optional<uint64_t> offset = PasswordRecordOffset(m_geometry);
  if (!offset) return 0;
  std::vector<uint8_t> sector;
  if (!ReadRecordSector(*disk, *offset, m_geometry.BytesPerSector, sector, error)) {
    // A sector that cannot be read is no evidence of a missing record:
    // leave the disk as it is rather than overwrite what may be there.
    return 0;
  }
  // The geometry is rounded down to whole cylinders, so the record's sector
  // can lie inside the last partition: the record may only ever be written
  // where no partition reaches.
  std::vector<PartitionExtent> partitions;
  m_passwordSectorFree = disk->GetDriveLayout(partitions, error) &&
                         OutsideEveryPartition(*offset, m_geometry.BytesPerSector, partitions);
  PasswordRecord record{};
  std::copy_n(sector.begin(), kPasswordRecordSize, record.begin());
  if (IsValidPasswordRecord(record)) {
    m_passwordRecord = record;
    return HasPassword(record) ? 1 : 0;
  }
  // A disk seen for the first time gets an empty password record, where
  // that overwrites nobody's data; elsewhere it simply has no password.
  m_passwordRecord = FreshPasswordRecord();
  if (m_passwordSectorFree) WriteRecordSector(*disk, *offset, sector, m_passwordRecord, error);
  return 0;
}

CUSBDevice::RecordWrite CUSBDevice::WritePasswordRecord(const PasswordRecord& record) {
  if (!m_passwordSectorFree) return RecordWrite::Unsupported;
  uint32_t error = 0;
  auto disk = Devices().Open(m_devicePath, DeviceAccess::ReadWrite, error);
  if (!disk) return RecordWrite::OpenFailed;
  const std::optional<uint64_t> offset = PasswordRecordOffset(m_geometry);
  if (!offset) return RecordWrite::Failed;
  if (!disk->Seek(*offset, error)) {
    DebugMessageBox(kDeviceFailureLevel, SeekFailedMessage(*offset, error));
    return RecordWrite::Failed;
  }
  // The rest of a sector larger than the record keeps what it holds.
  std::vector<uint8_t> sector;
  if (!ReadRecordSector(*disk, *offset, m_geometry.BytesPerSector, sector, error)) return RecordWrite::Failed;
  return WriteRecordSector(*disk, *offset, sector, record, error) ? RecordWrite::Written : RecordWrite::Failed;
}

}  // namespace qtr
