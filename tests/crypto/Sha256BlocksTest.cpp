#include "crypto/Sha256Blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "Hex.h"
#include "MillionA.h"
#include "crypto/Sha256.h"

namespace qtr {
namespace {

using test::ToHex;

// The system library's answer, even where the class would take the
// instructions itself (the Windows build).
Sha256Digest LibraryHashOf(const uint8_t* data, size_t size) {
  AllowSha256Instructions(false);
  Sha256Digest digest = Sha256Of(data, size);
  AllowSha256Instructions(true);
  return digest;
}

class Sha256BlocksTest : public testing::Test {
 protected:
  void SetUp() override {
    compress_ = FastSha256Blocks();
    if (compress_ == nullptr) GTEST_SKIP() << "this processor lacks the SHA, SSSE3 or SSE4.1 instructions";
  }
  void TearDown() override { AllowSha256Instructions(true); }

  Sha256BlockFunction compress_ = nullptr;
};

std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 131 + 7);
  return bytes;
}

TEST_F(Sha256BlocksTest, EveryLengthUpTo300MatchesTheLibraryWholeAndInTwoPieces) {
  // Covers every padding case: the length fitting the last block, spilling
  // into a second one, and exact multiples of the block.
  const std::vector<uint8_t> data = Pattern(300);
  for (size_t length = 0; length <= 300; ++length) {
    SCOPED_TRACE(length);
    const Sha256Digest expected = LibraryHashOf(data.data(), length);
    Sha256Blocks whole(compress_);
    whole.Update(data.data(), length);
    EXPECT_EQ(ToHex(whole.Finish()), ToHex(expected));
    Sha256Blocks split(compress_);
    split.Update(data.data(), length / 3);
    split.Update(nullptr, 0);  // what an empty buffer hands over
    split.Update(data.data() + length / 3, length - length / 3);
    EXPECT_EQ(ToHex(split.Finish()), ToHex(expected));
  }
}

TEST_F(Sha256BlocksTest, MillionAInUnevenPiecesMatchesTheKnownAnswer) {
  Sha256Blocks hash(compress_);
  test::FeedMillionAInUnevenPieces(hash);
  EXPECT_EQ(ToHex(hash.Finish()), test::kMillionASha256);
}

TEST_F(Sha256BlocksTest, RandomDataInRandomPiecesMatchesTheLibrary) {
  std::mt19937 random(20261208);
  for (int message = 0; message < 40; ++message) {
    std::vector<uint8_t> data(std::uniform_int_distribution<size_t>(0, 40000)(random));
    for (auto& b : data) b = static_cast<uint8_t>(random());
    SCOPED_TRACE(data.size());
    // Empty pieces, pieces within one block and pieces of many blocks.
    const size_t largest = message % 2 == 0 ? 70 : 5000;
    Sha256Blocks hash(compress_);
    for (size_t at = 0; at < data.size();) {
      size_t n = std::min(std::uniform_int_distribution<size_t>(0, largest)(random), data.size() - at);
      hash.Update(data.data() + at, n);
      at += n;
    }
    EXPECT_EQ(ToHex(hash.Finish()), ToHex(LibraryHashOf(data.data(), data.size())));
  }
}

// A measurement, not a check: run it by hand with
// --gtest_also_run_disabled_tests --gtest_filter=*Throughput*
TEST_F(Sha256BlocksTest, DISABLED_ThroughputOn512MiBIn64KiBUpdates) {
  const std::vector<uint8_t> piece = Pattern(64 * 1024);
  const size_t pieces = 512 * 16;
  auto measure = [&](const char* label, auto&& hash) {
    auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < pieces; ++i) hash.Update(piece.data(), piece.size());
    const std::string digest = ToHex(hash.Finish());
    std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%-34s %6.0f MB/s\n", label, pieces * piece.size() / 1e6 / seconds.count());
    return digest;
  };
  AllowSha256Instructions(false);
  const std::string library = measure("Sha256, system library", Sha256());
  AllowSha256Instructions(true);
  EXPECT_EQ(measure("Sha256Blocks, SHA instructions", Sha256Blocks(compress_)), library);
#if defined(_WIN32)
  EXPECT_EQ(measure("Sha256, SHA instructions", Sha256()), library);
#endif
}

}  // namespace
}  // namespace qtr
