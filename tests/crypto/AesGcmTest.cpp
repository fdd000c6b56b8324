#include "crypto/AesGcm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Hex.h"

namespace qtr {
namespace {

using test::FromHex;
using test::ToHex;

struct Sealed {
  std::string cipher;
  std::string tag;
};

template <size_t N>
void CopyTo(uint8_t (&target)[N], const std::vector<uint8_t>& bytes) {
  ASSERT_EQ(bytes.size(), N);
  std::memcpy(target, bytes.data(), N);
}

Sealed Seal(std::string_view keyHex, std::string_view nonceHex, std::string_view aadHex,
            std::string_view plainHex) {
  uint8_t key[kAesKeySize], nonce[kGcmNonceSize], tag[kGcmTagSize];
  CopyTo(key, FromHex(keyHex));
  CopyTo(nonce, FromHex(nonceHex));
  std::vector<uint8_t> aad = FromHex(aadHex), plain = FromHex(plainHex), cipher(plain.size());
  auto gcm = AesGcm::Create(key);
  if (!gcm) return {"no key", ""};
  if (!gcm->Seal(nonce, aad.data(), aad.size(), plain.data(), plain.size(), cipher.data(), tag))
    return {"failed", ""};
  // Opening gives the plain text back; any altered byte of cipher, aad or tag is refused.
  std::vector<uint8_t> opened(plain.size());
  EXPECT_TRUE(gcm->Open(nonce, aad.data(), aad.size(), cipher.data(), cipher.size(), tag, opened.data()));
  EXPECT_EQ(opened, plain);
  uint8_t badTag[kGcmTagSize];
  std::memcpy(badTag, tag, sizeof tag);
  badTag[kGcmTagSize - 1] ^= 1;
  EXPECT_FALSE(gcm->Open(nonce, aad.data(), aad.size(), cipher.data(), cipher.size(), badTag, opened.data()));
  if (!cipher.empty()) {
    cipher[0] ^= 0x80;
    EXPECT_FALSE(gcm->Open(nonce, aad.data(), aad.size(), cipher.data(), cipher.size(), tag, opened.data()));
    cipher[0] ^= 0x80;
  }
  if (!aad.empty()) {
    aad.back() ^= 1;
    EXPECT_FALSE(gcm->Open(nonce, aad.data(), aad.size(), cipher.data(), cipher.size(), tag, opened.data()));
  }
  return {ToHex(cipher), ToHex(tag)};
}

constexpr std::string_view kZeroKey = "0000000000000000000000000000000000000000000000000000000000000000";
constexpr std::string_view kKey = "feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308";
constexpr std::string_view kNonce = "cafebabefacedbaddecaf888";
constexpr std::string_view kPlain =
    "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
    "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b391aafd255";
constexpr std::string_view kCipher =
    "522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
    "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662898015ad";

TEST(AesGcmTest, PublishedAes256Cases) {
  Sealed empty = Seal(kZeroKey, "000000000000000000000000", "", "");
  EXPECT_EQ(empty.cipher, "");
  EXPECT_EQ(empty.tag, "530f8afbc74536b9a963b4f1c4cb738b");

  Sealed zeros = Seal(kZeroKey, "000000000000000000000000", "", "00000000000000000000000000000000");
  EXPECT_EQ(zeros.cipher, "cea7403d4d606b6e074ec5d3baf39d18");
  EXPECT_EQ(zeros.tag, "d0d1c8a799996bf0265b98b5d48ab919");

  Sealed full = Seal(kKey, kNonce, "", kPlain);
  EXPECT_EQ(full.cipher, kCipher);
  EXPECT_EQ(full.tag, "b094dac5d93471bdec1a502270e3cc6c");

  // 60 bytes of plain text (not a whole block) with authenticated data.
  Sealed withAad = Seal(kKey, kNonce, "feedfacedeadbeeffeedfacedeadbeefabaddad2", kPlain.substr(0, 120));
  EXPECT_EQ(withAad.cipher, kCipher.substr(0, 120));
  EXPECT_EQ(withAad.tag, "76fc6ece0f4e1768cddf8853bb2d551b");
}

TEST(AesGcmTest, FixedInputGivesTheRecordedBytesInBothBuilds) {
  std::string plain;
  for (int i = 0; i < 1000; ++i) plain += "0123456789abcdef"[(i * 7) % 16];
  Sealed sealed = Seal("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
                       "a0a1a2a3a4a5a6a7a8a9aaab", "6368756e6b2030", ToHex(plain));
  EXPECT_EQ(sealed.tag, "68fb23c5eab9f5c34b3c8f3a2901e788");
  EXPECT_EQ(sealed.cipher.substr(0, 64), "d62f191826f8638e5a03b1b73318f2e7409b3c25f184235da46810e24bc94738");
}

}  // namespace
}  // namespace qtr
