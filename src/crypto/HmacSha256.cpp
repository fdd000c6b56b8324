#include "crypto/HmacSha256.h"

#include <cstring>

namespace qtr {

HmacSha256::HmacSha256(const void* key, size_t keySize) {
  uint8_t block[kBlock] = {};
  if (keySize > kBlock) {
    Sha256 hash;
    hash.Update(key, keySize);
    const Sha256Digest digest = hash.Finish();
    ok_ = hash.Ok();
    std::memcpy(block, digest.data(), digest.size());
  } else if (keySize > 0) {
    std::memcpy(block, key, keySize);
  }
  uint8_t innerPad[kBlock];
  for (size_t i = 0; i < kBlock; ++i) {
    innerPad[i] = static_cast<uint8_t>(block[i] ^ 0x36);
    outerPad_[i] = static_cast<uint8_t>(block[i] ^ 0x5c);
  }
  inner_.Update(innerPad, kBlock);
  WipeBytes(block, sizeof block);
  WipeBytes(innerPad, sizeof innerPad);
}

HmacSha256::~HmacSha256() {
  WipeBytes(outerPad_, sizeof outerPad_);
}

void HmacSha256::Update(const void* data, size_t size) {
  inner_.Update(data, size);
}

Sha256Digest HmacSha256::Finish() {
  Sha256Digest innerDigest = inner_.Finish();
  Sha256 outer;
  outer.Update(outerPad_, kBlock);
  outer.Update(innerDigest.data(), innerDigest.size());
  Sha256Digest digest = outer.Finish();
  ok_ = ok_ && inner_.Ok() && outer.Ok();
  WipeBytes(innerDigest.data(), innerDigest.size());
  if (!ok_) digest.fill(0);
  return digest;
}

Sha256Digest HmacSha256Of(const void* key, size_t keySize, const void* data, size_t size) {
  HmacSha256 hmac(key, keySize);
  hmac.Update(data, size);
  return hmac.Finish();
}

bool SameDigest(const Sha256Digest& a, const Sha256Digest& b) {
  uint8_t difference = 0;
  for (size_t i = 0; i < a.size(); ++i) difference |= static_cast<uint8_t>(a[i] ^ b[i]);
  return difference == 0;
}

void WipeBytes(void* data, size_t size) {
  volatile uint8_t* bytes = static_cast<volatile uint8_t*>(data);
  while (size-- > 0) *bytes++ = 0;
}

}  // namespace qtr
