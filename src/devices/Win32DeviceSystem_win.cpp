// <windows.h> first: the other system headers need its types.
// clang-format off
#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>
#include <setupapi.h>
// clang-format on

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "devices/Win32DeviceSystem.h"
#include "platform/Handles.h"
#include "platform/WideText.h"

namespace qtr {
namespace {

// {53F56307-B6BF-11D0-94F2-00A0C91EFB8B}, spelt out so no GUID library is needed.
constexpr GUID kDiskInterface = {
    0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

constexpr UCHAR kSenseLength = 32;
constexpr ULONG kTimeoutSeconds = 30;
constexpr UCHAR kTargetId = 1;

// The requests as the Windows headers lay them out for this build, with the
// sense area (and for the buffered one the data area) behind the header.
struct DirectRequest {
  SCSI_PASS_THROUGH_DIRECT header;
  ULONG filler;
  UCHAR sense[kSenseLength];
};

struct BufferedRequest {
  SCSI_PASS_THROUGH header;
  ULONG filler;
  UCHAR sense[kSenseLength];
  UCHAR data[kBufferedScsiDataMax];
};

// The x64 driver reads these requests by these offsets; a header or packing
// change that moved a field would send garbage to the bridge.
#ifdef _WIN64
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 56);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 24);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 32);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 36);
static_assert(offsetof(DirectRequest, sense) == 60);
static_assert(sizeof(DirectRequest) == 96);
static_assert(sizeof(SCSI_PASS_THROUGH) == 56);
static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == 12);
static_assert(offsetof(SCSI_PASS_THROUGH, TimeOutValue) == 16);
static_assert(offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == 24);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoOffset) == 32);
static_assert(offsetof(SCSI_PASS_THROUGH, Cdb) == 36);
static_assert(offsetof(BufferedRequest, sense) == 60);
static_assert(offsetof(BufferedRequest, data) == 92);
static_assert(sizeof(BufferedRequest) == 608);
#endif

template <typename Header>
void FillHeader(Header& header, const uint8_t* cdb, size_t cdbLength, uint32_t dataLength,
                ULONG senseOffset) {
  header.Length = sizeof(Header);
  header.PathId = 0;
  header.TargetId = kTargetId;
  header.Lun = 0;
  header.CdbLength = static_cast<UCHAR>(cdbLength);
  header.SenseInfoLength = kSenseLength;
  header.DataIn = SCSI_IOCTL_DATA_IN;
  header.DataTransferLength = dataLength;
  header.TimeOutValue = kTimeoutSeconds;
  header.SenseInfoOffset = senseOffset;
  std::memcpy(header.Cdb, cdb, cdbLength);
}

class Win32DeviceHandle final : public DeviceHandle {
 public:
  explicit Win32DeviceHandle(HANDLE h) : handle_(h) {}

  bool ScsiDataInDirect(const uint8_t* cdb, size_t cdbLength, uint8_t* data, uint32_t dataLength,
                        uint32_t& error) override {
    if (cdbLength > sizeof(SCSI_PASS_THROUGH_DIRECT::Cdb)) return Fail(error, ERROR_INVALID_PARAMETER);
    DirectRequest request{};
    FillHeader(request.header, cdb, cdbLength, dataLength, offsetof(DirectRequest, sense));
    request.header.DataBuffer = data;
    return Control(IOCTL_SCSI_PASS_THROUGH_DIRECT, &request, sizeof request, &request, sizeof request, error);
  }

  bool ScsiDataInBuffered(const uint8_t* cdb, size_t cdbLength, uint8_t* data, uint32_t dataLength,
                          uint32_t& error) override {
    if (cdbLength > sizeof(SCSI_PASS_THROUGH::Cdb) || dataLength > kBufferedScsiDataMax)
      return Fail(error, ERROR_INVALID_PARAMETER);
    auto request = std::make_unique<BufferedRequest>();
    std::memset(request.get(), 0, sizeof(BufferedRequest));
    FillHeader(request->header, cdb, cdbLength, dataLength, offsetof(BufferedRequest, sense));
    request->header.DataBufferOffset = offsetof(BufferedRequest, data);
    if (!Control(IOCTL_SCSI_PASS_THROUGH, request.get(), sizeof(BufferedRequest), request.get(),
                 sizeof(BufferedRequest), error))
      return false;
    std::memcpy(data, request->data, dataLength);
    return true;
  }

  bool GetDeviceNumber(uint32_t& number, uint32_t& error) override {
    STORAGE_DEVICE_NUMBER answer{};
    if (!Control(IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &answer, sizeof answer, error)) return false;
    number = answer.DeviceNumber;
    return true;
  }

  bool GetGeometry(DiskGeometry& geometry, uint32_t& error) override {
    DISK_GEOMETRY answer{};
    if (!Control(IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &answer, sizeof answer, error)) return false;
    geometry.Cylinders = answer.Cylinders.QuadPart;
    geometry.MediaType = static_cast<uint32_t>(answer.MediaType);
    geometry.TracksPerCylinder = answer.TracksPerCylinder;
    geometry.SectorsPerTrack = answer.SectorsPerTrack;
    geometry.BytesPerSector = answer.BytesPerSector;
    return true;
  }

  bool GetDriveLayout(std::vector<PartitionExtent>& partitions, uint32_t& error) override {
    partitions.clear();
    // The answer's size depends on the number of entries: grow until it fits.
    for (DWORD entries = 16; entries <= 4096; entries *= 4) {
      const DWORD size = static_cast<DWORD>(offsetof(DRIVE_LAYOUT_INFORMATION_EX, PartitionEntry) +
                                            entries * sizeof(PARTITION_INFORMATION_EX));
      std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size]());
      if (!buffer) return Fail(error, ERROR_NOT_ENOUGH_MEMORY);
      if (!Control(IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, buffer.get(), size, error)) {
        if (error == ERROR_INSUFFICIENT_BUFFER) continue;
        return false;
      }
      const auto* layout = reinterpret_cast<const DRIVE_LAYOUT_INFORMATION_EX*>(buffer.get());
      for (DWORD i = 0; i < layout->PartitionCount && i < entries; ++i) {
        const PARTITION_INFORMATION_EX& entry = layout->PartitionEntry[i];
        // An MBR layout lists its four slots, the empty ones with no length.
        if (entry.PartitionLength.QuadPart <= 0) continue;
        partitions.push_back({static_cast<uint64_t>(entry.StartingOffset.QuadPart),
                              static_cast<uint64_t>(entry.PartitionLength.QuadPart)});
      }
      return true;
    }
    return Fail(error, ERROR_INSUFFICIENT_BUFFER);
  }

  bool Read(uint8_t* buffer, uint32_t length, uint32_t& done, uint32_t& error) override {
    DWORD n = 0;
    const BOOL ok = ReadFile(handle_.Get(), buffer, length, &n, nullptr);
    done = n;
    if (!ok) error = GetLastError();
    return ok != FALSE;
  }

  bool Write(const uint8_t* buffer, uint32_t length, uint32_t& done, uint32_t& error) override {
    DWORD n = 0;
    const BOOL ok = WriteFile(handle_.Get(), buffer, length, &n, nullptr);
    done = n;
    if (!ok) error = GetLastError();
    return ok != FALSE;
  }

  bool Seek(uint64_t offset, uint32_t& error) override {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (SetFilePointerEx(handle_.Get(), to, nullptr, FILE_BEGIN)) return true;
    error = GetLastError();
    return false;
  }

 private:
  static bool Fail(uint32_t& error, DWORD code) {
    error = code;
    return false;
  }
  bool Control(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, uint32_t& error) {
    DWORD returned = 0;
    if (DeviceIoControl(handle_.Get(), code, in, inSize, out, outSize, &returned, nullptr)) return true;
    error = GetLastError();
    return false;
  }

  UniqueHandle handle_;
};

// Owns a SetupAPI device information set.
struct DeviceInfoSetTraits {
  using Type = HDEVINFO;
  static HDEVINFO Normalize(HDEVINFO set) { return set == INVALID_HANDLE_VALUE ? nullptr : set; }
  static void Close(HDEVINFO set) { SetupDiDestroyDeviceInfoList(set); }
};
using DeviceInfoSet = UniqueResource<DeviceInfoSetTraits>;

class Win32DeviceSystem final : public DeviceSystem {
 public:
  bool EnumerateDiskInterfaces(std::vector<std::u16string>& paths) override {
    paths.clear();
    DeviceInfoSet set(
        SetupDiGetClassDevsW(&kDiskInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set) return false;
    for (DWORD index = 0;; ++index) {
      SP_DEVICE_INTERFACE_DATA item{};
      item.cbSize = sizeof item;
      if (!SetupDiEnumDeviceInterfaces(set.Get(), nullptr, &kDiskInterface, index, &item)) break;
      DWORD size = 0;
      if (!SetupDiGetDeviceInterfaceDetailW(set.Get(), &item, nullptr, 0, &size, nullptr) &&
          GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        break;
      if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) break;
      // Zero-filled, so the path always ends inside the buffer.
      std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size + sizeof(wchar_t)]());
      if (!buffer) break;
      auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.get());
      detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
      if (!SetupDiGetDeviceInterfaceDetailW(set.Get(), &item, detail, size, nullptr, nullptr)) break;
      const wchar_t* path = detail->DevicePath;
      paths.emplace_back(path, path + wcslen(path));
    }
    return true;
  }

  std::unique_ptr<DeviceHandle> Open(const std::u16string& path, DeviceAccess access,
                                     uint32_t& error) override {
    const DWORD rights = access == DeviceAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    HANDLE h = CreateFileW(AsWstring(path).c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<Win32DeviceHandle>(h);
  }

  std::vector<std::u16string> LogicalDriveRoots() override {
    std::vector<std::u16string> roots;
    const DWORD length = GetLogicalDriveStringsW(0, nullptr);
    if (length == 0) return roots;
    std::wstring buffer(length + 1, L'\0');
    const DWORD got = GetLogicalDriveStringsW(length, buffer.data());
    if (got == 0 || got > length) return roots;
    for (const wchar_t* p = buffer.c_str(); *p != L'\0'; p += wcslen(p) + 1)
      roots.emplace_back(p, p + wcslen(p));
    return roots;
  }

  DriveKind DriveType(const std::u16string& root) override {
    return static_cast<DriveKind>(GetDriveTypeW(AsWstring(root).c_str()));
  }

  // No enclosure with a readable push button is known to this backend.
  bool ScanButtonPorts(std::vector<ButtonPortRecord>& ports) override {
    ports.clear();
    return true;
  }
  int ButtonPortStatus(const ButtonPortRecord&) override { return 1; }
};

}  // namespace

std::unique_ptr<DeviceSystem> MakeWin32DeviceSystem() {
  return std::make_unique<Win32DeviceSystem>();
}

}  // namespace qtr
