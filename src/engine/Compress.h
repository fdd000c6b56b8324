// Base of the block compressors used for stored files.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qtr {

class CCompress {
 public:
  virtual ~CCompress() = default;
  // Codes one block of n input bytes into output (capacity bytes).
  // Returns the compressed length when it is smaller than n, 0 when the
  // block is better stored raw, -1 when n is over one block or the output
  // buffer is too small to be used safely.
  virtual int Compress(const uint8_t* input, size_t n, uint8_t* output, size_t capacity) = 0;
  // Expands size bytes of input into exactly rawLength bytes of output.
  // Returns 1 on success, 0 when rawLength is over one block or the stream
  // is damaged; never reads or writes outside the two buffers.
  virtual int Decompress(uint8_t* output, size_t rawLength, const uint8_t* input, size_t size) = 0;
};

}  // namespace qtr
