#include "crypto/SystemRandom.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace qtr {
namespace {

TEST(SystemRandomTest, FillsEveryByteAndNeverRepeats) {
  // Two 4 KiB draws: a generator that left bytes untouched or repeated its
  // output would show as equal draws or a byte value missing.
  std::array<uint8_t, 4096> a{}, b{};
  ASSERT_TRUE(FillRandom(a.data(), a.size()));
  ASSERT_TRUE(FillRandom(b.data(), b.size()));
  EXPECT_NE(a, b);
  std::array<bool, 256> seen{};
  for (uint8_t v : a) seen[v] = true;
  for (bool s : seen) EXPECT_TRUE(s);
}

}  // namespace
}  // namespace qtr
