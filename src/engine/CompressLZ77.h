// The LZ77 block coder of compressed stored files: literals and matches
// into earlier bytes of the same block, written as a bit stream. Blocks
// hold at most 64 KiB of input and are coded independently of each other.
#pragma once
#include <cstdint>
#include <memory>

#include "engine/Compress.h"

namespace qtr {

inline constexpr size_t kLz77BlockSize = 65536;
// A token is at most 48 bits, so the writer may run this far past the
// point where it gives up; output buffers of Compress need n + this.
inline constexpr size_t kLz77OutputSlack = 8;

class CCompressLZ77 : public CCompress {
 public:
  CCompressLZ77();
  ~CCompressLZ77() override;
  CCompressLZ77(const CCompressLZ77&) = delete;
  CCompressLZ77& operator=(const CCompressLZ77&) = delete;

  int Compress(const uint8_t* input, size_t n, uint8_t* output, size_t capacity) override;
  int Decompress(uint8_t* output, size_t rawLength, const uint8_t* input, size_t size) override;

 private:
  struct Node {
    uint16_t position;
    uint16_t runEnd;
    uint16_t next;
  };
  // Extra chains keyed on the first 3, 4, 8, 16 and 32 bytes of a node;
  // each holds exactly the two-byte chain's nodes whose first bytes agree
  // that far, newest first, so a search for a longer match can skip the
  // nodes that cannot give one.
  static constexpr int kLevels = 5;
  static constexpr int kShortChain = 4;
  static constexpr uint32_t kLevelBytes[kLevels] = {3, 4, 8, 16, 32};

  void Insert(uint32_t q);
  uint32_t FindMatch(uint32_t i, uint32_t* offset) const;

  const uint8_t* data_ = nullptr;
  uint32_t n_ = 0;
  uint32_t position_ = 0;
  uint16_t head_[65536];
  std::unique_ptr<Node[]> nodes_;
  std::unique_ptr<uint16_t[]> levelNext_[kLevels];
  std::unique_ptr<uint16_t[]> levelHead_[kLevels];
  uint32_t nodeCount_ = 1;
};

}  // namespace qtr
