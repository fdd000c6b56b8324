#include "diskcopy/DiskCopyJob.h"

#include <memory>
#include <mutex>
#include <new>
#include <optional>

#include "devices/DeviceMessages.h"
#include "devices/DeviceServices.h"

namespace qtr {
namespace {

// A cylinder larger than this comes only from a garbage geometry; refusing
// it keeps the copy from asking for an absurd buffer.
constexpr uint64_t kMaxBlockSize = 1ull << 30;

struct CopyDisks {
  CUSBDevice source;
  CUSBDevice target;
};

std::optional<CopyDisks> TakeDisks(const DiskCopyJob& job, DeviceList& list) {
  const std::lock_guard lock(list.Mutex());
  CUSBDevice* source = list.At(job.source.load());
  CUSBDevice* target = list.At(job.target.load());
  if (source == nullptr || target == nullptr) return std::nullopt;
  return CopyDisks{*source, *target};
}

// Copies every whole cylinder; true when all of them went. Stops early on
// a read, write or seek failure (after its message) or when asked to.
bool CopyCylinders(DiskCopyJob& job, DeviceHandle& source, DeviceHandle& target,
                   const DiskGeometry& geometry) {
  const uint64_t blockSize64 =
      static_cast<uint64_t>(geometry.TracksPerCylinder) * geometry.SectorsPerTrack * geometry.BytesPerSector;
  // An unknown cylinder size leaves nothing sound to copy.
  if (blockSize64 == 0 || blockSize64 > kMaxBlockSize || geometry.Cylinders <= 0) return false;
  const uint32_t blockSize = static_cast<uint32_t>(blockSize64);
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[blockSize]());
  if (!buffer) return false;

  uint64_t remaining = static_cast<uint64_t>(geometry.Cylinders);
  uint64_t copied = 0;
  uint32_t error = 0;
  while (remaining != 0 && job.stop.load() == 0) {
    uint32_t read = 0;
    const bool readOk = source.Read(buffer.get(), blockSize, read, error);
    if (!readOk || read < blockSize) {
      DebugMessageBox(kDeviceFailureLevel,
                      CopyReadFailedMessage(readOk, readOk ? 0 : error, blockSize, read));
      break;
    }
    uint32_t written = 0;
    if (!target.Write(buffer.get(), read, written, error) || written < blockSize) {
      PlainMessageBox(CopyWriteFailedMessage());
      break;
    }
    copied += read;
    job.copied.store(copied);
    if (!source.Seek(copied, error) || !target.Seek(copied, error)) {
      DebugMessageBox(kDeviceFailureLevel, SeekFailedMessage(copied, error));
      break;
    }
    --remaining;
  }
  return remaining == 0;
}

}  // namespace

void RunDiskCopy(DiskCopyJob& job, DeviceList& list) {
  bool success = false;
  // A job without both disks (or whose disks have left the list) ends like
  // a disk that cannot be opened, so the window still learns it ended.
  if (std::optional<CopyDisks> disks = TakeDisks(job, list)) {
    job.total.store(disks->source.GetCapacity());
    DeviceSystem& devices = Devices();
    uint32_t error = 0;
    auto source = devices.Open(disks->source.m_devicePath, DeviceAccess::ReadWrite, error);
    auto target = source ? devices.Open(disks->target.m_devicePath, DeviceAccess::ReadWrite, error) : nullptr;
    if (source && target) {
      if (disks->source.m_partitions.empty()) disks->source.GetPartitions();
      DiskGeometry geometry;
      // Without the geometry the block size and count are unknown: the copy
      // ends as if the disk could not be opened.
      if (source->GetGeometry(geometry, error)) success = CopyCylinders(job, *source, *target, geometry);
    }
  }
  job.success.store(success ? 1 : 0);
  job.finished.store(1);
  job.stop.store(1);
}

void DiskCopyWorker::Start(DiskCopyJob& job, DeviceList& list) {
  Join();
  const std::lock_guard lock(list.Mutex());
  thread_ = std::thread([&job, &list] { RunDiskCopy(job, list); });
}

void DiskCopyWorker::Join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace qtr
