// The block coder written step by step as its algorithm reads: full chain
// walks, one bit at a time. The fast coder must give the same bytes.
#pragma once
#include <cstdint>
#include <vector>

namespace qtr::test {

// The coded block, or empty when the block would be stored raw.
std::vector<uint8_t> ReferenceCompress(const std::vector<uint8_t>& input);

}  // namespace qtr::test
