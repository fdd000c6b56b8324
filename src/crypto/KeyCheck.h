// The key check file of an encrypted store: what turns the backup password
// into the store key again, and tells a wrong password from a damaged file.
// It holds the salt, the key derivation and its iterations, and a check
// value derived from the key; never the password or the key.
//
// Binary, 96 bytes: "QTRK", version (u16), derivation (u16, 1 = PBKDF2-
// HMAC-SHA-256), iterations (u32), reserved (u32), salt (16), check value
// (32, SHA-256 of a label and the key), then SHA-256 of the 64 bytes before
// it: a file that fails that sum is damaged, one that passes it but whose
// check value differs was opened with the wrong password. Fixed size and
// no parsing, so there is nothing to mis-read in it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "crypto/AesGcm.h"

namespace qtr {

inline constexpr char16_t kKeyCheckFileName[] = u"~key.bin";
inline constexpr uint32_t kMinKeyIterations = 600000;
// The most iterations a key check may ask for: one password try at the
// ceiling takes a few seconds on a slow PC, so a crafted count cannot
// freeze the program. A count above it is a damaged file.
inline constexpr uint32_t kMaxKeyIterations = 5000000;

enum class KeyCheckResult { kOk, kWrongPassword, kDamaged, kLibraryFailed };

// What turns the password into the key, besides the password: readable
// without the key, so that every encrypted file can carry it too.
inline constexpr size_t kKeySaltSize = 16;
struct KeyParameters {
  uint8_t salt[kKeySaltSize] = {};
  uint32_t iterations = 0;
};

// A fresh salt and the store key from password; bytes is what to store.
KeyCheckResult CreateKeyCheck(std::string_view password, uint32_t iterations, std::vector<uint8_t>* bytes,
                              uint8_t (&key)[kAesKeySize], KeyParameters* parameters = nullptr);
// The key check of given parameters (the salt and iterations an encrypted
// file carries), so that a lost key check file can be made again for the
// same key. kDamaged when parameters are out of bounds.
KeyCheckResult MakeKeyCheck(std::string_view password, const KeyParameters& parameters,
                            std::vector<uint8_t>* bytes, uint8_t (&key)[kAesKeySize]);
// Whether bytes are a whole key check file (kOk, *parameters set) or a
// damaged one (kDamaged), without the password and without the derivation.
KeyCheckResult ReadKeyCheckParameters(const std::vector<uint8_t>& bytes, KeyParameters* parameters);
// Whether iterations lie between kMinKeyIterations and kMaxKeyIterations.
bool KeyIterationsAllowed(uint32_t iterations);
// The store key from password, when bytes were made from the same password.
// *parameters (when given) is set when the result is kOk.
KeyCheckResult OpenKeyCheck(const std::vector<uint8_t>& bytes, std::string_view password,
                            uint8_t (&key)[kAesKeySize], KeyParameters* parameters = nullptr);

}  // namespace qtr
