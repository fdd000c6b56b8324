#include <openssl/rand.h>

#include <climits>

#include "crypto/SystemRandom.h"

namespace qtr {

bool FillRandom(void* buffer, size_t size) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (size > 0) {
    int piece = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    if (RAND_bytes(bytes, piece) != 1) return false;
    bytes += piece;
    size -= static_cast<size_t>(piece);
  }
  return true;
}

}  // namespace qtr
