#include "crypto/HmacSha256.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Hex.h"

namespace qtr {
namespace {

using test::FromHex;
using test::ToHex;

struct Vector {
  std::vector<uint8_t> key;
  std::string data;
  const char* mac;
};

// RFC 4231 test cases 1, 2, 4, 6 and 7: a key shorter than the block, a
// text key, a 25-byte key over binary data, and keys longer than the block
// (hashed first) over short and long messages.
std::vector<Vector> Rfc4231() {
  const std::vector<uint8_t> data4(50, 0xcd);
  return {
      {std::vector<uint8_t>(20, 0x0b), "Hi There",
       "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
      {{'J', 'e', 'f', 'e'},
       "what do ya want for nothing?",
       "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
      {FromHex("0102030405060708090a0b0c0d0e0f10111213141516171819"), std::string(data4.begin(), data4.end()),
       "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
      {std::vector<uint8_t>(131, 0xaa), "Test Using Larger Than Block-Size Key - Hash Key First",
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
      {std::vector<uint8_t>(131, 0xaa),
       "This is a test using a larger than block-size key and a larger than block-size data. The key needs "
       "to be "
       "hashed before being used by the HMAC algorithm.",
       "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
  };
}

TEST(HmacSha256Test, KnownAnswersWholeAndInPieces) {
  for (const Vector& v : Rfc4231()) {
    EXPECT_EQ(ToHex(HmacSha256Of(v.key.data(), v.key.size(), v.data.data(), v.data.size())), v.mac);
    HmacSha256 pieces(v.key.data(), v.key.size());
    for (size_t at = 0; at < v.data.size(); at += 7)
      pieces.Update(v.data.data() + at, std::min<size_t>(7, v.data.size() - at));
    EXPECT_EQ(ToHex(pieces.Finish()), v.mac);
    EXPECT_TRUE(pieces.Ok());
  }
}

TEST(HmacSha256Test, SameDigestTellsEveryByte) {
  Sha256Digest a{}, b{};
  EXPECT_TRUE(SameDigest(a, b));
  for (size_t i = 0; i < a.size(); ++i) {
    b = a;
    b[i] ^= 0x80;
    EXPECT_FALSE(SameDigest(a, b)) << i;
  }
}

}  // namespace
}  // namespace qtr
