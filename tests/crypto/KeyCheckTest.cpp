#include "crypto/KeyCheck.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace qtr {
namespace {

TEST(KeyCheckTest, RightPasswordGivesTheKeyWrongOneIsToldApartFromDamage) {
  std::vector<uint8_t> bytes;
  uint8_t key[kAesKeySize], opened[kAesKeySize];
  ASSERT_EQ(CreateKeyCheck("s3cret pässword", kMinKeyIterations, &bytes, key), KeyCheckResult::kOk);
  ASSERT_EQ(OpenKeyCheck(bytes, "s3cret pässword", opened), KeyCheckResult::kOk);
  EXPECT_EQ(std::memcmp(key, opened, sizeof key), 0);
  EXPECT_EQ(OpenKeyCheck(bytes, "s3cret passwort", opened), KeyCheckResult::kWrongPassword);
  EXPECT_EQ(OpenKeyCheck(bytes, "", opened), KeyCheckResult::kWrongPassword);

  // Neither the password nor the key is in the file.
  std::string stored(bytes.begin(), bytes.end());
  EXPECT_EQ(stored.find("s3cret"), std::string::npos);
  EXPECT_EQ(stored.find(std::string(reinterpret_cast<char*>(key), 8)), std::string::npos);

  // Every altered byte, a cut and an extended file read as damaged, quickly
  // (no key derivation from a damaged iteration count).
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::vector<uint8_t> altered = bytes;
    altered[i] ^= 0x10;
    EXPECT_EQ(OpenKeyCheck(altered, "s3cret pässword", opened), KeyCheckResult::kDamaged) << i;
  }
  std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 1), longer = bytes;
  longer.push_back(0);
  EXPECT_EQ(OpenKeyCheck(cut, "s3cret pässword", opened), KeyCheckResult::kDamaged);
  EXPECT_EQ(OpenKeyCheck(longer, "s3cret pässword", opened), KeyCheckResult::kDamaged);
}

TEST(KeyCheckTest, EachStoreGetsItsOwnSaltAndAtLeastTheMinimumIterations) {
  std::vector<uint8_t> a, b;
  uint8_t keyA[kAesKeySize], keyB[kAesKeySize];
  ASSERT_EQ(CreateKeyCheck("same", 1000, &a, keyA), KeyCheckResult::kOk);
  ASSERT_EQ(CreateKeyCheck("same", kMinKeyIterations, &b, keyB), KeyCheckResult::kOk);
  EXPECT_NE(a, b);
  EXPECT_NE(std::memcmp(keyA, keyB, sizeof keyA), 0);
  uint32_t iterations = a[8] | a[9] << 8 | a[10] << 16 | static_cast<uint32_t>(a[11]) << 24;
  EXPECT_EQ(iterations, kMinKeyIterations);
}

}  // namespace
}  // namespace qtr
