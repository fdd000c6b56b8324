#include "crypto/Pbkdf2.h"

#include <gtest/gtest.h>

#include <vector>

#include "Hex.h"

namespace qtr {
namespace {

using test::ToHex;

std::string Derive(std::string_view password, std::string_view salt, uint32_t iterations, size_t size) {
  std::vector<uint8_t> key(size);
  EXPECT_TRUE(DerivePbkdf2Sha256(password, reinterpret_cast<const uint8_t*>(salt.data()), salt.size(),
                                 iterations, key.data(), key.size()));
  return ToHex(key);
}

TEST(Pbkdf2Test, PublishedHmacSha256Vectors) {
  EXPECT_EQ(Derive("passwd", "salt", 1, 64),
            "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
            "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
  EXPECT_EQ(Derive("Password", "NaCl", 80000, 64),
            "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
            "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d");
}

TEST(Pbkdf2Test, StoreStrengthIterationsGiveTheSameKeyInBothBuilds) {
  // Recorded once from the native build; the Windows build must agree.
  EXPECT_EQ(Derive("correct horse battery staple", "0123456789abcdef", 600000, 32),
            "6c4a646aad10d067add5fb79d9078a16da83d50f81670a8e7593b249e6d94936");
}

TEST(Pbkdf2Test, ZeroIterationsAreRefused) {
  uint8_t key[32];
  const uint8_t salt[16] = {};
  EXPECT_FALSE(DerivePbkdf2Sha256("x", salt, sizeof salt, 0, key, sizeof key));
}

}  // namespace
}  // namespace qtr
