#include "engine/CompressLZ77.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Lz77Reference.h"
#include "Lz77Samples.h"

namespace qtr {
namespace {

using test::ReferenceCompress;

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// The coded block, or empty when the coder says it is stored raw.
std::vector<uint8_t> Fast(const std::vector<uint8_t>& input) {
  CCompressLZ77 coder;
  std::vector<uint8_t> out(input.size() + kLz77OutputSlack);
  const int size = coder.Compress(input.data(), input.size(), out.data(), out.size());
  EXPECT_GE(size, 0);
  out.resize(size > 0 ? static_cast<size_t>(size) : 0);
  return out;
}

// Decodes into a buffer with a guard byte just past its end.
bool Decode(const std::vector<uint8_t>& coded, size_t rawLength, std::vector<uint8_t>* out) {
  CCompressLZ77 coder;
  std::vector<uint8_t> buffer(rawLength + 1, 0xA5);
  const int ok = coder.Decompress(buffer.data(), rawLength, coded.data(), coded.size());
  EXPECT_EQ(buffer[rawLength], 0xA5) << "decoder wrote past its output";
  buffer.resize(rawLength);
  *out = buffer;
  return ok == 1;
}

TEST(CompressLZ77Test, AFullBlockOfEqualBytesTakes48Bytes) {
  const std::vector<uint8_t> input(65536, 'x');
  const auto coded = Fast(input);
  ASSERT_EQ(coded.size(), 48u);
  EXPECT_EQ(coded, ReferenceCompress(input));
  // Two literals: 0 01111000 0 01111000, then the match of length 2 from offset 0: 1 0 0.
  EXPECT_EQ(coded[0], 0x3C);
  EXPECT_EQ(coded[1], 0x1E);
  std::vector<uint8_t> decoded;
  ASSERT_TRUE(Decode(coded, input.size(), &decoded));
  EXPECT_EQ(decoded, input);
}

TEST(CompressLZ77Test, RepeatedTripleUsesTheNewestSourceOnATie) {
  // a, b, c as literals; length 3 from offset 0 in 2 bits; length 3 from offset 3 in 3 bits.
  const auto coded = Fast(Bytes("abcabcabc"));
  EXPECT_EQ(coded, (std::vector<uint8_t>{0x30, 0x98, 0x8C, 0x78, 0x63}));
  std::vector<uint8_t> decoded;
  ASSERT_TRUE(Decode(coded, 9, &decoded));
  EXPECT_EQ(decoded, Bytes("abcabcabc"));
}

TEST(CompressLZ77Test, BlocksThatDoNotShrinkAreRefused) {
  EXPECT_TRUE(Fast(test::RandomBytes(65536, 1)).empty());
  EXPECT_TRUE(Fast(Bytes("a")).empty());
  EXPECT_TRUE(Fast(Bytes("ab")).empty());
  EXPECT_TRUE(Fast({}).empty());
}

TEST(CompressLZ77Test, RefusesOversizedBlocksAndShortOutputBuffers) {
  CCompressLZ77 coder;
  std::vector<uint8_t> in(65537, 0), out(65537 + kLz77OutputSlack);
  EXPECT_EQ(coder.Compress(in.data(), in.size(), out.data(), out.size()), -1);
  EXPECT_EQ(coder.Compress(in.data(), 100, out.data(), 100), -1);
  EXPECT_EQ(coder.Decompress(out.data(), 65537, in.data(), 10), 0);
}

TEST(CompressLZ77Test, FastCoderGivesTheReferenceBytesOnVariedInputs) {
  std::vector<std::vector<uint8_t>> inputs;
  for (uint32_t alphabet : {2u, 4u, 16u, 256u}) inputs.push_back(test::RandomBytes(alphabet < 16 ? 16384 : 65536, alphabet, alphabet));
  for (uint32_t vocabulary : {2u, 5u, 15u}) inputs.push_back(test::WordText(65536, vocabulary, vocabulary));
  inputs.push_back(test::RunsAndNoise(65536, 7));
  inputs.push_back(test::RunsAndNoise(40000, 8));
  std::vector<uint8_t> periodic(65536);
  for (size_t k = 0; k < periodic.size(); ++k) periodic[k] = "abcab"[k % 5];
  inputs.push_back(periodic);
  for (size_t n : {3u, 4u, 5u, 7u, 9u, 17u, 100u, 1000u, 65535u}) inputs.push_back(test::WordText(n, 3, 4));
  for (size_t n : {3u, 4u, 5u, 6u, 64u}) inputs.push_back(std::vector<uint8_t>(n, 0));
  inputs.push_back(Bytes("aaaabaaaabaaab"));
  inputs.push_back(Bytes("abababababab"));
  for (const auto& input : inputs) {
    const auto coded = Fast(input);
    ASSERT_EQ(coded, ReferenceCompress(input)) << "input of " << input.size() << " bytes";
    if (coded.empty()) continue;
    std::vector<uint8_t> decoded;
    ASSERT_TRUE(Decode(coded, input.size(), &decoded));
    EXPECT_EQ(decoded, input);
  }
}

TEST(CompressLZ77Test, OneCoderServesManyBlocks) {
  CCompressLZ77 coder;
  std::vector<uint8_t> out(65536 + kLz77OutputSlack);
  for (uint32_t seed = 0; seed < 4; ++seed) {
    const auto input = seed % 2 ? test::WordText(65536, seed, 6) : test::RunsAndNoise(30000, seed);
    const int size = coder.Compress(input.data(), input.size(), out.data(), out.size());
    ASSERT_GT(size, 0);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + size), ReferenceCompress(input));
  }
}

TEST(CompressLZ77Test, DamagedStreamsFailInsideTheirBuffers) {
  const auto input = test::WordText(5000, 11, 8);
  const auto coded = Fast(input);
  ASSERT_FALSE(coded.empty());
  std::vector<uint8_t> decoded;
  // One byte too short, one byte too long, a raw length too large or too small.
  EXPECT_FALSE(Decode(std::vector<uint8_t>(coded.begin(), coded.end() - 1), input.size(), &decoded));
  auto longer = coded;
  longer.push_back(0);
  EXPECT_FALSE(Decode(longer, input.size(), &decoded));
  EXPECT_FALSE(Decode(coded, input.size() + 1, &decoded));
  EXPECT_FALSE(Decode(coded, input.size() - 1, &decoded));
  // A match before anything was produced; a run of one-bits.
  EXPECT_FALSE(Decode({0x80}, 2, &decoded));
  EXPECT_FALSE(Decode({0x30, 0xFF, 0xFF, 0xFF, 0xFF}, 40, &decoded));
  // 'a', then a match of length 3 from offset 0: fits a block of 4, overruns a block of 3.
  ASSERT_TRUE(Decode({0x30, 0xE0}, 4, &decoded));
  EXPECT_EQ(decoded, Bytes("aaaa"));
  EXPECT_FALSE(Decode({0x30, 0xE0}, 3, &decoded));
  EXPECT_FALSE(Decode({0x30, 0xFF, 0xFF, 0xFF, 0xFF}, 40, &decoded));
  // Every single-bit flip decodes or fails, never strays.
  for (size_t bit = 0; bit < coded.size() * 8; bit += 7) {
    auto flipped = coded;
    flipped[bit / 8] ^= static_cast<uint8_t>(0x80 >> (bit % 8));
    Decode(flipped, input.size(), &decoded);
  }
}

}  // namespace
}  // namespace qtr
