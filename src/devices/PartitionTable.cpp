#include "devices/PartitionTable.h"

#include <cstring>
#include <vector>

namespace qtr {
namespace {

constexpr size_t kMbrEntries = 446;
constexpr uint8_t kProtectiveType = 0xEE;
constexpr uint32_t kMaxGptEntries = 1024;

uint64_t Little(const uint8_t* p, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

// False for an empty entry and for one that ends beyond 64 bits.
bool Extent(uint64_t first, uint64_t count, uint32_t sectorSize, PartitionExtent& extent) {
  if (count == 0 || first > UINT64_MAX / sectorSize || count > UINT64_MAX / sectorSize) return false;
  extent = {first * sectorSize, count * sectorSize};
  return extent.length <= UINT64_MAX - extent.offset;
}

bool ReadGpt(const DiskBytesReader& read, uint32_t sectorSize, std::vector<PartitionExtent>& partitions) {
  std::vector<uint8_t> header(sectorSize);
  if (!read(sectorSize, header.data(), sectorSize)) return false;
  if (std::memcmp(header.data(), "EFI PART", 8) != 0) return false;
  const uint64_t entriesLba = Little(&header[72], 8);
  const uint32_t count = static_cast<uint32_t>(Little(&header[80], 4));
  const uint32_t entrySize = static_cast<uint32_t>(Little(&header[84], 4));
  if (count > kMaxGptEntries || entrySize < 128 || entrySize > 4096 || entriesLba > UINT64_MAX / sectorSize)
    return false;
  std::vector<uint8_t> entries(static_cast<size_t>(count) * entrySize);
  // The table is read in whole sectors, as the disk is.
  std::vector<uint8_t> sectors((entries.size() + sectorSize - 1) / sectorSize * sectorSize);
  if (!sectors.empty() && !read(entriesLba * sectorSize, sectors.data(), static_cast<uint32_t>(sectors.size())))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = sectors.data() + static_cast<size_t>(i) * entrySize;
    static constexpr uint8_t kUnused[16] = {};
    if (std::memcmp(entry, kUnused, sizeof kUnused) == 0) continue;
    const uint64_t first = Little(entry + 32, 8);
    const uint64_t last = Little(entry + 40, 8);
    PartitionExtent extent;
    if (last < first || !Extent(first, last - first + 1, sectorSize, extent)) return false;
    partitions.push_back(extent);
  }
  return true;
}

}  // namespace

bool ReadPartitionTable(const DiskBytesReader& read, uint32_t sectorSize, std::vector<PartitionExtent>& partitions) {
  partitions.clear();
  if (sectorSize < 512) return false;
  std::vector<uint8_t> mbr(sectorSize);
  if (!read(0, mbr.data(), sectorSize)) return false;
  if (mbr[510] != 0x55 || mbr[511] != 0xAA) return true;
  bool protective = false;
  for (size_t i = 0; i < 4; ++i) {
    const uint8_t* entry = &mbr[kMbrEntries + 16 * i];
    const uint8_t type = entry[4];
    if (type == 0) continue;
    if (type == kProtectiveType) protective = true;
    PartitionExtent extent;
    // The extended container's extent covers every logical drive in it.
    if (Extent(Little(entry + 8, 4), Little(entry + 12, 4), sectorSize, extent)) partitions.push_back(extent);
  }
  if (!protective) return true;
  // The protective entry stands for the whole GPT disk; its real partitions are in the GPT.
  partitions.clear();
  return ReadGpt(read, sectorSize, partitions);
}

bool OutsideEveryPartition(uint64_t offset, uint64_t length, const std::vector<PartitionExtent>& partitions) {
  // Ends beyond 64 bits (a damaged table) count as reaching the end of the disk.
  const auto end = [](uint64_t start, uint64_t size) { return size > UINT64_MAX - start ? UINT64_MAX : start + size; };
  for (const PartitionExtent& p : partitions)
    if (offset < end(p.offset, p.length) && p.offset < end(offset, length)) return false;
  return true;
}

}  // namespace qtr
