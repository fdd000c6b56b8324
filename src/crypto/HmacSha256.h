// HMAC-SHA-256 over our SHA-256: what keys the store index's hashes and
// authenticates its records, and binds an encrypted file to its place.
#pragma once
#include <cstddef>
#include <cstdint>

#include "crypto/Sha256.h"

namespace qtr {

// An incremental HMAC: Update any number of times, then Finish once. A key
// longer than the block is hashed first, as the construction says.
class HmacSha256 {
 public:
  HmacSha256(const void* key, size_t keySize);
  ~HmacSha256();
  HmacSha256(const HmacSha256&) = delete;
  HmacSha256& operator=(const HmacSha256&) = delete;

  void Update(const void* data, size_t size);
  // All zero when Ok() is false.
  Sha256Digest Finish();
  bool Ok() const { return ok_; }

 private:
  static constexpr size_t kBlock = 64;
  uint8_t outerPad_[kBlock] = {};
  Sha256 inner_;
  bool ok_ = true;
};

// The HMAC of one message; all zero when the library failed.
Sha256Digest HmacSha256Of(const void* key, size_t keySize, const void* data, size_t size);

// Compares two digests in a time that does not depend on where they differ.
bool SameDigest(const Sha256Digest& a, const Sha256Digest& b);

// Overwrites size bytes at data in a way the compiler keeps.
void WipeBytes(void* data, size_t size);

}  // namespace qtr
