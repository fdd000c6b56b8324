// The long known answer of SHA-256: a million 'a', fed in pieces that
// straddle the 64-byte block boundary in every way.
#pragma once
#include <algorithm>
#include <cstddef>
#include <string>

namespace qtr::test {

inline constexpr char kMillionASha256[] = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";

// Feeds the million 'a' to hash (anything with Update(data, size)).
template <typename Hash>
void FeedMillionAInUnevenPieces(Hash& hash) {
  const std::string a(1000, 'a');
  size_t left = 1000000, piece = 1;
  while (left > 0) {
    const size_t n = std::min({piece, left, a.size()});
    hash.Update(a.data(), n);
    left -= n;
    piece = piece % 997 + 13;
  }
}

}  // namespace qtr::test
