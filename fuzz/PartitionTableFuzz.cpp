// Any bytes as the start of a disk: the partition table (MBR, or GPT behind
// a protective MBR) is read only through the reader and within the disk, and
// every extent it reports is seen as taken.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "devices/PartitionTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint32_t sectorSize = (data[0] & 1) != 0 ? 4096 : 512;
  const uint8_t* disk = data + 1;
  const size_t diskSize = size - 1;
  const qtr::DiskBytesReader read = [&](uint64_t offset, uint8_t* buffer, uint32_t length) {
    if (offset % sectorSize != 0 || length % sectorSize != 0) std::abort();  // whole sectors only
    if (offset > diskSize || length > diskSize - offset) return false;
    std::memcpy(buffer, disk + offset, length);
    return true;
  };
  std::vector<qtr::PartitionExtent> partitions;
  if (!qtr::ReadPartitionTable(read, sectorSize, partitions)) return 0;
  for (const qtr::PartitionExtent& p : partitions) {
    if (p.length == 0) std::abort();
    if (qtr::OutsideEveryPartition(p.offset, 1, partitions)) std::abort();
    if (qtr::OutsideEveryPartition(p.offset + p.length - 1, 1, partitions)) std::abort();
  }
  return 0;
}
