// The partitions a disk's own table describes (MBR, or the GPT behind a
// protective MBR), as byte extents: what the disk driver reports for
// IOCTL_DISK_GET_DRIVE_LAYOUT_EX. The simulated disks answer the request
// from their image through this parser; the password code uses the extents
// to keep its record out of every partition.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace qtr {

struct PartitionExtent {
  uint64_t offset = 0;  // bytes from the start of the disk
  uint64_t length = 0;
  bool operator==(const PartitionExtent&) const = default;
};

// Reads length bytes at a byte offset of the disk; false when it cannot.
using DiskBytesReader = std::function<bool(uint64_t offset, uint8_t* buffer, uint32_t length)>;

// The used entries of the table. A disk without a partition table (no boot
// signature) has none; false only when a table is there but cannot be read
// whole (its extents are then unknown). sectorSize is the disk's logical
// sector size, the unit of the table's addresses.
bool ReadPartitionTable(const DiskBytesReader& read, uint32_t sectorSize, std::vector<PartitionExtent>& partitions);

// True when [offset, offset + length) meets none of the partitions.
bool OutsideEveryPartition(uint64_t offset, uint64_t length, const std::vector<PartitionExtent>& partitions);

}  // namespace qtr
