// Reading the answers of READ CAPACITY(10) and (16): the size of a disk in
// bytes from its last logical block address and block length.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qtr {

inline constexpr uint32_t kReadCapacity10Length = 8;
inline constexpr uint32_t kReadCapacity16Length = 12;

// Bytes of an 8-byte READ CAPACITY(10) answer; 0 when the answer is too
// short or its address is 0xFFFFFFFF (the disk is too large for it and
// must be asked with READ CAPACITY(16)).
uint64_t CapacityFromReadCapacity10(const uint8_t* answer, size_t length);
// Bytes of a 12-byte READ CAPACITY(16) answer; 0 when too short. A product
// beyond 64 bits (only a garbage answer gives one) is 0 too.
uint64_t CapacityFromReadCapacity16(const uint8_t* answer, size_t length);

}  // namespace qtr
