// PBKDF2-HMAC-SHA-256 through the platform's own library: the key of an
// encrypted store from the backup password.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qtr {

// Fills key (keySize bytes) from password and salt; false when the library
// refuses (no bytes of key are then meaningful).
bool DerivePbkdf2Sha256(std::string_view password, const uint8_t* salt, size_t saltSize, uint32_t iterations,
                        uint8_t* key, size_t keySize);

}  // namespace qtr
