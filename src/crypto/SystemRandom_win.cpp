#include "crypto/CngHandles.h"
#include "crypto/SystemRandom.h"

namespace qtr {

bool FillRandom(void* buffer, size_t size) {
  auto* bytes = static_cast<PUCHAR>(buffer);
  while (size > 0) {
    ULONG piece = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, bytes, piece, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
      return false;
    bytes += piece;
    size -= piece;
  }
  return true;
}

}  // namespace qtr
