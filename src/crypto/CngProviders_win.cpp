#include "crypto/CngHandles.h"

namespace qtr {
namespace {

UniqueCngAlgorithm Open(const wchar_t* algorithm, ULONG flags) {
  BCRYPT_ALG_HANDLE handle = nullptr;
  if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, flags))) return {};
  return UniqueCngAlgorithm(handle);
}

}  // namespace

// Function-local statics: opened on first use, once, even with several
// threads hashing at the same time; closed when the process ends.
BCRYPT_ALG_HANDLE Sha256Provider() {
  static const UniqueCngAlgorithm provider = Open(BCRYPT_SHA256_ALGORITHM, 0);
  return provider.Get();
}

BCRYPT_ALG_HANDLE HmacSha256Provider() {
  static const UniqueCngAlgorithm provider = Open(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
  return provider.Get();
}

BCRYPT_ALG_HANDLE AesGcmProvider() {
  static const UniqueCngAlgorithm provider = [] {
    UniqueCngAlgorithm aes = Open(BCRYPT_AES_ALGORITHM, 0);
    if (!aes) return aes;
    auto* mode = reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM));
    ULONG modeSize = static_cast<ULONG>(sizeof(BCRYPT_CHAIN_MODE_GCM));
    if (!BCRYPT_SUCCESS(BCryptSetProperty(aes.Get(), BCRYPT_CHAINING_MODE, mode, modeSize, 0)))
      return UniqueCngAlgorithm();
    return aes;
  }();
  return provider.Get();
}

}  // namespace qtr
