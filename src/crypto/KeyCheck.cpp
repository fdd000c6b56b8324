#include "crypto/KeyCheck.h"

#include <cstring>

#include "crypto/Pbkdf2.h"
#include "crypto/LittleEndian.h"
#include "crypto/Sha256.h"
#include "crypto/SystemRandom.h"

namespace qtr {
namespace {

constexpr uint8_t kMagic[4] = {'Q', 'T', 'R', 'K'};
constexpr uint16_t kVersion = 1;
constexpr uint16_t kPbkdf2Sha256 = 1;
constexpr size_t kSaltOffset = 16, kSaltSize = kKeySaltSize, kCheckOffset = 32, kSumOffset = 64, kSize = 96;
// A damaged iteration count must not make opening take hours.
constexpr uint32_t kMaxKeyIterations = 100000000;

bool CheckValue(const uint8_t (&key)[kAesKeySize], Sha256Digest* value) {
  static constexpr char kLabel[] = "qtr key check v1";
  Sha256 hash;
  hash.Update(kLabel, sizeof kLabel);
  hash.Update(key, kAesKeySize);
  *value = hash.Finish();
  return hash.Ok();
}

}  // namespace

void TakeParameters(const std::vector<uint8_t>& bytes, KeyParameters* parameters) {
  if (parameters == nullptr) return;
  std::memcpy(parameters->salt, &bytes[kSaltOffset], kSaltSize);
  parameters->iterations = static_cast<uint32_t>(GetLittleEndian(&bytes[8], 4));
}

KeyCheckResult CreateKeyCheck(std::string_view password, uint32_t iterations, std::vector<uint8_t>* bytes,
                              uint8_t (&key)[kAesKeySize], KeyParameters* parameters) {
  if (iterations < kMinKeyIterations) iterations = kMinKeyIterations;
  std::vector<uint8_t> out(kSize, 0);
  std::memcpy(out.data(), kMagic, 4);
  PutLittleEndian(&out[4], kVersion, 2);
  PutLittleEndian(&out[6], kPbkdf2Sha256, 2);
  PutLittleEndian(&out[8], iterations, 4);
  if (!FillRandom(&out[kSaltOffset], kSaltSize) ||
      !DerivePbkdf2Sha256(password, &out[kSaltOffset], kSaltSize, iterations, key, kAesKeySize))
    return KeyCheckResult::kLibraryFailed;
  Sha256Digest check;
  if (!CheckValue(key, &check)) return KeyCheckResult::kLibraryFailed;
  std::memcpy(&out[kCheckOffset], check.data(), check.size());
  Sha256Digest sum = Sha256Of(out.data(), kSumOffset);
  std::memcpy(&out[kSumOffset], sum.data(), sum.size());
  TakeParameters(out, parameters);
  *bytes = std::move(out);
  return KeyCheckResult::kOk;
}

KeyCheckResult OpenKeyCheck(const std::vector<uint8_t>& bytes, std::string_view password,
                            uint8_t (&key)[kAesKeySize], KeyParameters* parameters) {
  if (bytes.size() != kSize || std::memcmp(bytes.data(), kMagic, 4) != 0) return KeyCheckResult::kDamaged;
  Sha256Digest sum = Sha256Of(bytes.data(), kSumOffset);
  if (std::memcmp(sum.data(), &bytes[kSumOffset], sum.size()) != 0) return KeyCheckResult::kDamaged;
  uint32_t iterations = static_cast<uint32_t>(GetLittleEndian(&bytes[8], 4));
  if (GetLittleEndian(&bytes[4], 2) != kVersion || GetLittleEndian(&bytes[6], 2) != kPbkdf2Sha256 ||
      iterations < kMinKeyIterations || iterations > kMaxKeyIterations)
    return KeyCheckResult::kDamaged;
  if (!DerivePbkdf2Sha256(password, &bytes[kSaltOffset], kSaltSize, iterations, key, kAesKeySize))
    return KeyCheckResult::kLibraryFailed;
  Sha256Digest check;
  if (!CheckValue(key, &check)) return KeyCheckResult::kLibraryFailed;
  if (std::memcmp(check.data(), &bytes[kCheckOffset], check.size()) != 0) {
    std::memset(key, 0, kAesKeySize);
    return KeyCheckResult::kWrongPassword;
  }
  TakeParameters(bytes, parameters);
  return KeyCheckResult::kOk;
}

}  // namespace qtr
