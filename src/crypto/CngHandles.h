// Owners of CNG (bcrypt) handles, and the algorithm providers the crypto
// seam opens once per process: opening a provider is slow (it loads and
// self-tests the implementation), creating a hash or key from it is cheap.
#pragma once
#include <windows.h>
#include <bcrypt.h>

#include "platform/Handles.h"

namespace qtr {

struct CngAlgorithmTraits {
  using Type = BCRYPT_ALG_HANDLE;
  static Type Normalize(Type h) { return h; }
  static void Close(Type h) { BCryptCloseAlgorithmProvider(h, 0); }
};

struct CngHashTraits {
  using Type = BCRYPT_HASH_HANDLE;
  static Type Normalize(Type h) { return h; }
  static void Close(Type h) { BCryptDestroyHash(h); }
};

struct CngKeyTraits {
  using Type = BCRYPT_KEY_HANDLE;
  static Type Normalize(Type h) { return h; }
  static void Close(Type h) { BCryptDestroyKey(h); }
};

using UniqueCngAlgorithm = UniqueResource<CngAlgorithmTraits>;
using UniqueCngHash = UniqueResource<CngHashTraits>;
using UniqueCngKey = UniqueResource<CngKeyTraits>;

// Null when the system has no such provider. Safe from several threads.
BCRYPT_ALG_HANDLE Sha256Provider();
BCRYPT_ALG_HANDLE HmacSha256Provider();
// AES with the GCM chaining mode already set.
BCRYPT_ALG_HANDLE AesGcmProvider();

}  // namespace qtr
