// The fixed-size binary headers of the crypto files store numbers
// little-endian, whatever the machine.
#pragma once
#include <cstdint>

namespace qtr {

inline void PutLittleEndian(uint8_t* at, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint64_t GetLittleEndian(const uint8_t* at, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<uint64_t>(at[i]) << (8 * i);
  return value;
}

}  // namespace qtr
