// SHA-256 of our own over a block function: the buffering, padding and
// length around the compression, for processors whose SHA instructions hash
// faster than the system's library does (CNG under Wine is plain C).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "crypto/Sha256.h"

namespace qtr {

// Compresses `blocks` consecutive 64-byte blocks of `data` into the eight
// working words a..h of `state`.
using Sha256BlockFunction = void (*)(uint32_t* state, const uint8_t* data, size_t blocks);

// The compression with the processor's SHA instructions, or null when this
// build has none or the processor lacks SHA, SSSE3 or SSE4.1, or they were
// turned off by AllowSha256Instructions(false). Safe from several threads.
Sha256BlockFunction FastSha256Blocks();

// True (the default) lets FastSha256Blocks() offer the instructions. The
// tests and the benchmark turn it off to hold the fast path against the
// system's library in the same process.
void AllowSha256Instructions(bool allowed);

// An incremental hash over a block function: Update any number of times,
// then Finish once (the object is then spent).
class Sha256Blocks {
 public:
  explicit Sha256Blocks(Sha256BlockFunction compress);

  void Update(const void* data, size_t size);
  Sha256Digest Finish();

 private:
  Sha256BlockFunction compress_;
  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> pending_{};
  size_t pendingSize_ = 0;
  uint64_t totalBytes_ = 0;
};

}  // namespace qtr
