// The geometry a disk reports (the DISK_GEOMETRY of the disk driver), laid
// out as Windows lays it out so that a record copy is the driver's answer.
#pragma once
#include <cstdint>

namespace qtr {

struct DiskGeometry {
  int64_t Cylinders = 0;
  uint32_t MediaType = 0;
  uint32_t TracksPerCylinder = 0;
  uint32_t SectorsPerTrack = 0;
  uint32_t BytesPerSector = 0;
};
static_assert(sizeof(DiskGeometry) == 24);

// Fixed hard disk media, the type a USB disk reports.
inline constexpr uint32_t kFixedMedia = 12;

}  // namespace qtr
