#include "Lz77Reference.h"

#include <algorithm>

namespace qtr::test {
namespace {

struct Node {
  uint32_t position = 0, runEnd = 0, next = 0;
};

struct Coder {
  explicit Coder(const std::vector<uint8_t>& input) : in(input) {}
  const std::vector<uint8_t>& in;
  std::vector<uint32_t> head = std::vector<uint32_t>(65536, 0);
  std::vector<Node> nodes = std::vector<Node>(65536);
  uint32_t nodeCount = 1;
  uint32_t position = 0;
  std::vector<uint8_t> out;
  uint32_t outByte = 0, outBit = 0;

  void Bit(uint32_t b) {
    if (out.size() <= outByte) out.resize(outByte + 1, 0);
    if (b) out[outByte] |= static_cast<uint8_t>(0x80 >> outBit);
    if (++outBit == 8) {
      outBit = 0;
      ++outByte;
    }
  }
  void Bits(uint32_t v, uint32_t count) {
    for (uint32_t k = count; k > 0; --k) Bit((v >> (k - 1)) & 1);
  }
  void Advance() {
    ++position;
    if (position <= 1) return;
    const uint32_t q = position - 2;
    const uint32_t key = in[q] * 256u + in[q + 1];
    if (in[q] == in[q + 1] && head[key] != 0 && nodes[head[key]].runEnd + 1 == q) {
      nodes[head[key]].runEnd = q;
      return;
    }
    const uint32_t c = nodeCount++;
    nodes[c] = {q, q, head[key]};
    head[key] = c;
  }
};

}  // namespace

std::vector<uint8_t> ReferenceCompress(const std::vector<uint8_t>& in) {
  const uint32_t n = static_cast<uint32_t>(in.size());
  Coder c(in);
  for (uint32_t i = 0; i < n;) {
    if (c.outByte >= n) return {};
    uint32_t bestLength = 0, bestOffset = 0;
    if (i < n - 1 && c.head[in[i] * 256u + in[i + 1]] != 0) {
      uint32_t node = c.head[in[i] * 256u + in[i + 1]];
      bestLength = 2;
      bestOffset = c.nodes[node].position;
      for (; node != 0; node = c.nodes[node].next) {
        const uint32_t e = c.nodes[node].position;
        const uint32_t limit = std::min(n - i, i - e);
        uint32_t j = 2;
        if (limit > 2)
          while (j < limit && in[i + j] == in[e + j]) ++j;
        if (j > bestLength) {
          bestLength = j;
          bestOffset = e;
        }
      }
    }
    if (bestLength == 0) {
      c.Bit(0);
      c.Bits(in[i], 8);
      c.Advance();
      i += 1;
      continue;
    }
    c.Bit(1);
    const uint32_t m = bestLength - 1;
    uint32_t k = 0;
    while ((m >> (k + 1)) != 0) ++k;
    for (uint32_t b = 0; b < k; ++b) c.Bit(1);
    c.Bit(0);
    c.Bits(m & ((1u << k) - 1), k);
    uint32_t bits = 0;
    while ((1u << bits) < c.position) ++bits;
    c.Bits(bestOffset, bits);
    for (uint32_t s = 0; s < bestLength; ++s) c.Advance();
    i += bestLength;
  }
  const uint32_t length = c.outByte + (c.outBit != 0 ? 1 : 0);
  if (length >= n) return {};
  c.out.resize(length);
  return c.out;
}

}  // namespace qtr::test
