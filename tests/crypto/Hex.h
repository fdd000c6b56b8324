// Test vectors are written in hex, as their sources print them.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qtr::test {

inline std::vector<uint8_t> FromHex(std::string_view hex) {
  std::vector<uint8_t> bytes;
  auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(nibble(hex[i]) << 4 | nibble(hex[i + 1])));
  return bytes;
}

template <typename Bytes>
std::string ToHex(const Bytes& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t b : bytes) {
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex;
}

}  // namespace qtr::test
