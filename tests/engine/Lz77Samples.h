// Inputs with different kinds of redundancy for the coder tests.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace qtr::test {

inline std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed, uint32_t alphabet = 256) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<uint8_t>(random() % alphabet);
  return bytes;
}

// Words drawn from a small vocabulary, like a text of few distinct words.
inline std::vector<uint8_t> WordText(size_t n, uint32_t seed, uint32_t vocabulary) {
  static const char* const kWords[] = {"the ", "backup ", "store ", "of ", "files ", "and ", "a ", "restore ",
                                       "block ", "disk ", "copy\n", "is ", "to ", "compressed ", "drive "};
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes;
  while (bytes.size() < n) {
    const std::string word = kWords[random() % vocabulary];
    bytes.insert(bytes.end(), word.begin(), word.end());
  }
  bytes.resize(n);
  return bytes;
}

// Runs of equal bytes of random lengths, mixed with noise, like an executable.
inline std::vector<uint8_t> RunsAndNoise(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes;
  while (bytes.size() < n) {
    const size_t length = 1 + random() % 300;
    const uint8_t value = (random() % 3 == 0) ? static_cast<uint8_t>(random()) : 0;
    for (size_t k = 0; k < length; ++k) bytes.push_back(random() % 4 == 0 ? static_cast<uint8_t>(random()) : value);
  }
  bytes.resize(n);
  return bytes;
}

}  // namespace qtr::test
