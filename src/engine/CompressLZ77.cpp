#include "engine/CompressLZ77.h"

#include <bit>
#include <cstring>

namespace qtr {
namespace {

uint32_t Key2(const uint8_t* p) { return (uint32_t{p[0]} << 8) | p[1]; }
uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// A 16-bit hash of the first bytes bytes at p (3, 4, 8, 16 or 32).
uint32_t HashOf(const uint8_t* p, uint32_t bytes) {
  uint64_t v;
  switch (bytes) {
    case 3:
      v = uint64_t{p[0]} << 16 | uint64_t{p[1]} << 8 | p[2];
      break;
    case 4: {
      uint32_t w;
      std::memcpy(&w, p, 4);
      v = w;
      break;
    }
    case 8:
      v = Load64(p);
      break;
    case 16:
      v = Load64(p) ^ std::rotl(Load64(p + 8), 29);
      break;
    default:
      v = Load64(p) ^ std::rotl(Load64(p + 8), 17) ^ std::rotl(Load64(p + 16), 31) ^ std::rotl(Load64(p + 24), 47);
      break;
  }
  return static_cast<uint32_t>((v * 0x9E3779B97F4A7C15ull) >> 48);
}

// Bits of the offset of a match made after p bytes: the smallest b with 2^b >= p.
uint32_t OffsetBits(uint32_t p) { return p <= 1 ? 0 : static_cast<uint32_t>(std::bit_width(p - 1)); }

// Number of equal bytes of a and b from index j on, up to limit.
uint32_t MatchLength(const uint8_t* a, const uint8_t* b, uint32_t j, uint32_t limit) {
  while (j + 8 <= limit) {
    uint64_t x, y;
    std::memcpy(&x, a + j, 8);
    std::memcpy(&y, b + j, 8);
    if (x != y) return j + static_cast<uint32_t>(std::countr_zero(x ^ y)) / 8;
    j += 8;
  }
  while (j < limit && a[j] == b[j]) ++j;
  return j;
}

// Writes whole tokens, most significant bit first.
class BitWriter {
 public:
  explicit BitWriter(uint8_t* out) : out_(out) {}
  void Put(uint64_t value, uint32_t count) {
    acc_ = (acc_ << count) | value;
    bits_ += count;
    while (bits_ >= 8) {
      bits_ -= 8;
      out_[byte_++] = static_cast<uint8_t>(acc_ >> bits_);
    }
  }
  size_t Byte() const { return byte_; }
  size_t Length() {
    if (bits_ == 0) return byte_;
    out_[byte_] = static_cast<uint8_t>(acc_ << (8 - bits_));  // padding bits are zero
    return byte_ + 1;
  }

 private:
  uint8_t* out_;
  uint64_t acc_ = 0;
  uint32_t bits_ = 0;
  size_t byte_ = 0;
};

// Reads bits most significant first; running past the end marks the stream bad.
class BitReader {
 public:
  BitReader(const uint8_t* in, size_t size) : in_(in), totalBits_(uint64_t{size} * 8) {}
  uint32_t Get(uint32_t count) {
    if (count > totalBits_ - bit_) {
      bad_ = true;
      bit_ = totalBits_;
      return 0;
    }
    uint32_t v = 0;
    while (count > 0) {
      const uint32_t inByte = 8 - static_cast<uint32_t>(bit_ & 7);
      const uint32_t take = count < inByte ? count : inByte;
      const uint32_t byte = in_[bit_ >> 3];
      v = (v << take) | ((byte >> (inByte - take)) & ((1u << take) - 1));
      bit_ += take;
      count -= take;
    }
    return v;
  }
  bool Bad() const { return bad_; }
  uint64_t BytesTouched() const { return (bit_ + 7) / 8; }

 private:
  const uint8_t* in_;
  uint64_t totalBits_;
  uint64_t bit_ = 0;
  bool bad_ = false;
};

}  // namespace

CCompressLZ77::CCompressLZ77() : nodes_(new Node[65536]) {
  for (int level = 0; level < kLevels; ++level) {
    levelNext_[level].reset(new uint16_t[65536]);
    levelHead_[level].reset(new uint16_t[65536]);
  }
}

CCompressLZ77::~CCompressLZ77() = default;

// Adds position q, whose two-byte key just became complete. A run of one
// byte value keeps a single node at its first position.
void CCompressLZ77::Insert(uint32_t q) {
  const uint8_t* p = data_ + q;
  const uint32_t key = Key2(p);
  if (p[0] == p[1]) {
    const uint32_t h = head_[key];
    if (h != 0 && nodes_[h].runEnd + 1u == q) {
      nodes_[h].runEnd = static_cast<uint16_t>(q);
      return;
    }
  }
  const uint32_t c = nodeCount_++;
  nodes_[c].position = static_cast<uint16_t>(q);
  nodes_[c].runEnd = static_cast<uint16_t>(q);
  nodes_[c].next = head_[key];
  head_[key] = static_cast<uint16_t>(c);
  for (int level = 0; level < kLevels && q + kLevelBytes[level] <= n_; ++level) {
    const uint32_t h = HashOf(p, kLevelBytes[level]);
    levelNext_[level][c] = levelHead_[level][h];
    levelHead_[level][h] = static_cast<uint16_t>(c);
  }
}

// The longest match at i among the chain of its two-byte key, the newest
// source winning ties. A node that gives K or more bytes is on the K-byte
// chain, in the same newest-first order; so the longest chain that holds a
// match of its length gives the answer, and a shorter chain is searched
// only up to the length the next one would have found.
uint32_t CCompressLZ77::FindMatch(uint32_t i, uint32_t* offset) const {
  const uint8_t* here = data_ + i;
  const uint32_t head = head_[Key2(here)];
  if (head == 0) return 0;
  const uint32_t room = n_ - i;
  {
    // A short two-byte chain is walked whole, as it stands: that is the search itself.
    uint32_t best = 2, bestOffset = nodes_[head].position, c = head;
    for (int steps = 0; c != 0 && steps < kShortChain; ++steps, c = nodes_[c].next) {
      const uint32_t e = nodes_[c].position;
      const uint32_t distance = i - e;
      const uint32_t limit = room < distance ? room : distance;
      if (limit <= best || data_[e + best] != here[best]) continue;
      const uint32_t j = MatchLength(here, data_ + e, 2, limit);
      if (j > best) {
        best = j;
        bestOffset = e;
        if (best == room) {
          c = 0;
          break;
        }
      }
    }
    if (c == 0) {
      *offset = bestOffset;
      return best;
    }
  }
  for (int level = kLevels - 1; level >= 1; --level) {
    const uint32_t bytes = kLevelBytes[level];
    if (room < bytes) continue;
    const uint32_t cap = level + 1 < kLevels && room >= kLevelBytes[level + 1] ? kLevelBytes[level + 1] - 1 : room;
    uint32_t best = bytes - 1, bestOffset = 0;
    for (uint32_t c = levelHead_[level][HashOf(here, bytes)]; c != 0; c = levelNext_[level][c]) {
      const uint32_t e = nodes_[c].position;
      const uint32_t distance = i - e;
      const uint32_t limit = room < distance ? room : distance;
      if (limit <= best) continue;
      const uint8_t* there = data_ + e;
      if (there[best] != here[best]) continue;
      // Counted from the first byte: a node that is here by a hash collision falls short.
      const uint32_t j = MatchLength(here, there, 0, limit);
      if (j > best) {
        best = j;
        bestOffset = e;
        if (best >= cap) break;
      }
    }
    if (best >= bytes) {
      *offset = bestOffset;
      return best;
    }
  }
  if (room >= 3) {
    for (uint32_t c = levelHead_[0][HashOf(here, 3)]; c != 0; c = levelNext_[0][c]) {
      const uint32_t e = nodes_[c].position;
      if (i - e < 3) continue;
      const uint8_t* there = data_ + e;
      if (there[0] == here[0] && there[1] == here[1] && there[2] == here[2]) {
        *offset = e;
        return 3;
      }
    }
  }
  *offset = nodes_[head].position;
  return 2;
}

int CCompressLZ77::Compress(const uint8_t* input, size_t n, uint8_t* output, size_t capacity) {
  if (n > kLz77BlockSize || capacity < n + kLz77OutputSlack) return -1;
  std::memset(head_, 0, sizeof head_);
  for (auto& levelHead : levelHead_) std::memset(levelHead.get(), 0, 65536 * sizeof(uint16_t));
  data_ = input;
  n_ = static_cast<uint32_t>(n);
  position_ = 0;
  nodeCount_ = 1;
  BitWriter out(output);
  uint32_t i = 0;
  while (i < n_) {
    if (out.Byte() >= n) return 0;
    uint32_t offset = 0;
    const uint32_t length = i + 1 < n_ ? FindMatch(i, &offset) : 0;
    if (length == 0) {
      out.Put(input[i], 9);  // bit 0 and the byte
      ++position_;
      if (position_ > 1) Insert(position_ - 2);
      ++i;
      continue;
    }
    const uint32_t m = length - 1;
    const uint32_t k = static_cast<uint32_t>(std::bit_width(m)) - 1;
    const uint64_t lengthCode = (uint64_t{(1u << k) - 1} << (k + 1)) | (m & ((1u << k) - 1));
    const uint32_t b = OffsetBits(position_);
    out.Put((((uint64_t{1} << (2 * k + 1)) | lengthCode) << b) | offset, 1 + 2 * k + 1 + b);
    for (uint32_t step = 0; step < length; ++step) {
      ++position_;
      if (position_ > 1) Insert(position_ - 2);
    }
    i += length;
  }
  const size_t length = out.Length();
  return length < n ? static_cast<int>(length) : 0;
}

int CCompressLZ77::Decompress(uint8_t* output, size_t rawLength, const uint8_t* input, size_t size) {
  if (rawLength > kLz77BlockSize) return 0;
  data_ = output;
  position_ = 0;
  BitReader in(input, size);
  const uint32_t raw = static_cast<uint32_t>(rawLength);
  while (position_ < raw) {
    if (in.Get(1) == 0) {
      const uint32_t byte = in.Get(8);
      if (in.Bad()) return 0;
      output[position_++] = static_cast<uint8_t>(byte);
      continue;
    }
    uint32_t k = 0;
    while (in.Get(1) == 1) {
      if (++k > 16 || in.Bad()) return 0;  // no block holds a longer match
    }
    const uint32_t length = k == 0 ? 2 : (1u << k) + in.Get(k) + 1;
    const uint32_t source = in.Get(OffsetBits(position_));
    if (in.Bad() || source >= position_ || length > raw - position_) return 0;
    // Byte by byte: a match may overlap the bytes it produces.
    for (uint32_t j = 0; j < length; ++j) output[position_ + j] = output[source + j];
    position_ += length;
  }
  // A stream from the coder ends in the byte holding its last token.
  return in.BytesTouched() == size ? 1 : 0;
}

}  // namespace qtr
