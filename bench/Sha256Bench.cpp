// SHA-256 of 1 MiB in 64 KiB updates: the system library through Sha256
// against our own routine over the processor's SHA instructions.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "crypto/Sha256.h"
#include "crypto/Sha256Blocks.h"

namespace {

const std::vector<uint8_t>& Piece() {
  static const std::vector<uint8_t> piece(64 * 1024, 0x5a);
  return piece;
}

template <typename Hash>
void HashMebibyte(benchmark::State& state, Hash&& makeHash) {
  for (auto _ : state) {
    auto hash = makeHash();
    for (int i = 0; i < 16; ++i) hash->Update(Piece().data(), Piece().size());
    benchmark::DoNotOptimize(hash->Finish());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 16 * Piece().size());
}

void BM_Sha256Library(benchmark::State& state) {
  qtr::AllowSha256Instructions(false);
  HashMebibyte(state, [] { return std::make_unique<qtr::Sha256>(); });
  qtr::AllowSha256Instructions(true);
}
BENCHMARK(BM_Sha256Library);

void BM_Sha256Instructions(benchmark::State& state) {
  qtr::Sha256BlockFunction compress = qtr::FastSha256Blocks();
  if (compress == nullptr) {
    state.SkipWithError("this processor lacks the SHA, SSSE3 or SSE4.1 instructions");
    return;
  }
  HashMebibyte(state, [compress] { return std::make_unique<qtr::Sha256Blocks>(compress); });
}
BENCHMARK(BM_Sha256Instructions);

}  // namespace
