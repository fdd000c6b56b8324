#include <openssl/evp.h>

#include <climits>

#include "crypto/Pbkdf2.h"

namespace qtr {

bool DerivePbkdf2Sha256(std::string_view password, const uint8_t* salt, size_t saltSize, uint32_t iterations,
                        uint8_t* key, size_t keySize) {
  if (iterations == 0 || password.size() > INT_MAX || saltSize > INT_MAX || keySize > INT_MAX) return false;
  return PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt,
                           static_cast<int>(saltSize), static_cast<int>(iterations), EVP_sha256(),
                           static_cast<int>(keySize), key) == 1;
}

}  // namespace qtr
