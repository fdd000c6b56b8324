#include "devices/CapacityAnswer.h"

namespace qtr {
namespace {

uint64_t BigEndian(const uint8_t* bytes, size_t count) {
  uint64_t value = 0;
  for (size_t i = 0; i < count; ++i) value = (value << 8) | bytes[i];
  return value;
}

uint64_t BlocksTimesLength(uint64_t lastAddress, uint64_t blockLength) {
  if (lastAddress == UINT64_MAX) return 0;
  const uint64_t blocks = lastAddress + 1;
  if (blockLength != 0 && blocks > UINT64_MAX / blockLength) return 0;
  return blocks * blockLength;
}

}  // namespace

uint64_t CapacityFromReadCapacity10(const uint8_t* answer, size_t length) {
  if (answer == nullptr || length < kReadCapacity10Length) return 0;
  const uint64_t last = BigEndian(answer, 4);
  if (last == 0xFFFFFFFFu) return 0;
  return BlocksTimesLength(last, BigEndian(answer + 4, 4));
}

uint64_t CapacityFromReadCapacity16(const uint8_t* answer, size_t length) {
  if (answer == nullptr || length < kReadCapacity16Length) return 0;
  return BlocksTimesLength(BigEndian(answer, 8), BigEndian(answer + 8, 4));
}

}  // namespace qtr
