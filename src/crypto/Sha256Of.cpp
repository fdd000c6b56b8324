#include "crypto/Sha256.h"

namespace qtr {

Sha256Digest Sha256Of(const void* data, size_t size) {
  Sha256 hash;
  hash.Update(data, size);
  return hash.Finish();
}

}  // namespace qtr
