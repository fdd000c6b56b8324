#include <climits>

#include "crypto/CngHandles.h"
#include "crypto/Pbkdf2.h"

namespace qtr {

bool DerivePbkdf2Sha256(std::string_view password, const uint8_t* salt, size_t saltSize, uint32_t iterations,
                        uint8_t* key, size_t keySize) {
  BCRYPT_ALG_HANDLE prf = HmacSha256Provider();
  if (prf == nullptr || iterations == 0 || password.size() > ULONG_MAX || saltSize > ULONG_MAX ||
      keySize > ULONG_MAX)
    return false;
  auto* passwordBytes = reinterpret_cast<PUCHAR>(const_cast<char*>(password.data()));
  return BCRYPT_SUCCESS(BCryptDeriveKeyPBKDF2(prf, passwordBytes, static_cast<ULONG>(password.size()),
                                              const_cast<PUCHAR>(salt), static_cast<ULONG>(saltSize),
                                              iterations, key, static_cast<ULONG>(keySize), 0));
}

}  // namespace qtr
