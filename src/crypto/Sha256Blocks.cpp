#include "crypto/Sha256Blocks.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace qtr {

#if defined(__x86_64__)
// In Sha256Blocks_x86.cpp, built with the SHA target on that one function.
void CompressSha256Instructions(uint32_t* state, const uint8_t* data, size_t blocks);
#endif

namespace {

std::atomic<bool> instructionsAllowed{true};

bool ProcessorHasSha256Instructions() {
#if defined(__x86_64__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid_max(0, nullptr) < 7) return false;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  const bool ssse3 = (ecx & (1u << 9)) != 0;
  const bool sse41 = (ecx & (1u << 19)) != 0;
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
  const bool sha = (ebx & (1u << 29)) != 0;
  return ssse3 && sse41 && sha;
#else
  return false;
#endif
}

constexpr std::array<uint32_t, 8> kInitialState = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

}  // namespace

Sha256BlockFunction FastSha256Blocks() {
  // The processor does not change while the program runs: ask it once.
  static const bool present = ProcessorHasSha256Instructions();
  if (!present || !instructionsAllowed.load(std::memory_order_relaxed)) return nullptr;
#if defined(__x86_64__)
  return &CompressSha256Instructions;
#else
  return nullptr;
#endif
}

void AllowSha256Instructions(bool allowed) {
  instructionsAllowed.store(allowed, std::memory_order_relaxed);
}

Sha256Blocks::Sha256Blocks(Sha256BlockFunction compress) : compress_(compress), state_(kInitialState) {}

void Sha256Blocks::Update(const void* data, size_t size) {
  // An empty buffer may come as a null pointer, which memcpy must not see.
  if (size == 0) return;
  auto* bytes = static_cast<const uint8_t*>(data);
  totalBytes_ += size;
  if (pendingSize_ > 0) {
    size_t take = std::min(size, pending_.size() - pendingSize_);
    std::memcpy(pending_.data() + pendingSize_, bytes, take);
    pendingSize_ += take;
    bytes += take;
    size -= take;
    if (pendingSize_ < pending_.size()) return;
    compress_(state_.data(), pending_.data(), 1);
    pendingSize_ = 0;
  }
  // Whole blocks straight from the caller's buffer: no copy on the hot path.
  if (size_t blocks = size / 64; blocks > 0) {
    compress_(state_.data(), bytes, blocks);
    bytes += blocks * 64;
    size -= blocks * 64;
  }
  if (size > 0) {
    std::memcpy(pending_.data(), bytes, size);
    pendingSize_ = size;
  }
}

Sha256Digest Sha256Blocks::Finish() {
  // A one bit, zeros up to 56 bytes into a block, then the length in bits,
  // big-endian: a second block when fewer than 9 bytes are left in this one.
  const uint64_t bits = totalBytes_ * 8;
  std::array<uint8_t, 128> tail{};
  std::memcpy(tail.data(), pending_.data(), pendingSize_);
  tail[pendingSize_] = 0x80;
  const size_t tailSize = pendingSize_ + 9 <= 64 ? 64 : 128;
  for (int i = 0; i < 8; ++i) tail[tailSize - 1 - i] = static_cast<uint8_t>(bits >> (8 * i));
  compress_(state_.data(), tail.data(), tailSize / 64);
  pendingSize_ = 0;

  Sha256Digest digest{};
  for (size_t i = 0; i < state_.size(); ++i) {
    digest[4 * i] = static_cast<uint8_t>(state_[i] >> 24);
    digest[4 * i + 1] = static_cast<uint8_t>(state_[i] >> 16);
    digest[4 * i + 2] = static_cast<uint8_t>(state_[i] >> 8);
    digest[4 * i + 3] = static_cast<uint8_t>(state_[i]);
  }
  return digest;
}

}  // namespace qtr
