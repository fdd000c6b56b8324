#include "crypto/KeyCheck.h"

#include <algorithm>
#include <cstring>

#include "crypto/LittleEndian.h"
#include "crypto/Pbkdf2.h"
#include "crypto/Sha256.h"
#include "crypto/SystemRandom.h"
#include "crypto/WipeBytes.h"

namespace qtr {
namespace {

constexpr uint8_t kMagic[4] = {'Q', 'T', 'R', 'K'};
constexpr uint16_t kVersion = 1;
constexpr uint16_t kPbkdf2Sha256 = 1;
constexpr size_t kSaltOffset = 16, kSaltSize = kKeySaltSize, kCheckOffset = 32, kSumOffset = 64, kSize = 96;

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

bool KeyIterationsAllowed(uint32_t iterations) {
  return iterations >= kMinKeyIterations && iterations <= kMaxKeyIterations;
}

KeyCheckResult MakeKeyCheck(std::string_view password, const KeyParameters& parameters,
                            std::vector<uint8_t>* bytes, uint8_t (&key)[kAesKeySize]) {
  if (!KeyIterationsAllowed(parameters.iterations)) return KeyCheckResult::kDamaged;
  std::vector<uint8_t> out(kSize, 0);
  std::memcpy(out.data(), kMagic, 4);
  PutLittleEndian(&out[4], kVersion, 2);
  PutLittleEndian(&out[6], kPbkdf2Sha256, 2);
  PutLittleEndian(&out[8], parameters.iterations, 4);
  std::memcpy(&out[kSaltOffset], parameters.salt, kSaltSize);
  if (!DerivePbkdf2Sha256(password, &out[kSaltOffset], kSaltSize, parameters.iterations, key, kAesKeySize))
    return KeyCheckResult::kLibraryFailed;
  Sha256Digest check;
  if (!CheckValue(key, &check)) return KeyCheckResult::kLibraryFailed;
  std::memcpy(&out[kCheckOffset], check.data(), check.size());
  Sha256Digest sum = Sha256Of(out.data(), kSumOffset);
  std::memcpy(&out[kSumOffset], sum.data(), sum.size());
  *bytes = std::move(out);
  return KeyCheckResult::kOk;
}

KeyCheckResult CreateKeyCheck(std::string_view password, uint32_t iterations, std::vector<uint8_t>* bytes,
                              uint8_t (&key)[kAesKeySize], KeyParameters* parameters) {
  KeyParameters fresh;
  fresh.iterations = std::clamp(iterations, kMinKeyIterations, kMaxKeyIterations);
  if (!FillRandom(fresh.salt, kSaltSize)) return KeyCheckResult::kLibraryFailed;
  const KeyCheckResult result = MakeKeyCheck(password, fresh, bytes, key);
  if (result == KeyCheckResult::kOk && parameters != nullptr) *parameters = fresh;
  return result;
}

KeyCheckResult ReadKeyCheckParameters(const std::vector<uint8_t>& bytes, KeyParameters* parameters) {
  if (bytes.size() != kSize || std::memcmp(bytes.data(), kMagic, 4) != 0) return KeyCheckResult::kDamaged;
  Sha256Digest sum = Sha256Of(bytes.data(), kSumOffset);
  if (std::memcmp(sum.data(), &bytes[kSumOffset], sum.size()) != 0) return KeyCheckResult::kDamaged;
  const uint32_t iterations = static_cast<uint32_t>(GetLittleEndian(&bytes[8], 4));
  if (GetLittleEndian(&bytes[4], 2) != kVersion || GetLittleEndian(&bytes[6], 2) != kPbkdf2Sha256 ||
      !KeyIterationsAllowed(iterations))
    return KeyCheckResult::kDamaged;
  TakeParameters(bytes, parameters);
  return KeyCheckResult::kOk;
}

KeyCheckResult OpenKeyCheck(const std::vector<uint8_t>& bytes, std::string_view password,
                            uint8_t (&key)[kAesKeySize], KeyParameters* parameters) {
  KeyParameters found;
  if (ReadKeyCheckParameters(bytes, &found) != KeyCheckResult::kOk) return KeyCheckResult::kDamaged;
  if (!DerivePbkdf2Sha256(password, found.salt, kSaltSize, found.iterations, key, kAesKeySize))
    return KeyCheckResult::kLibraryFailed;
  Sha256Digest check;
  if (!CheckValue(key, &check)) return KeyCheckResult::kLibraryFailed;
  if (std::memcmp(check.data(), &bytes[kCheckOffset], check.size()) != 0) {
    WipeBytes(key, kAesKeySize);
    return KeyCheckResult::kWrongPassword;
  }
  if (parameters != nullptr) *parameters = found;
  return KeyCheckResult::kOk;
}

}  // namespace qtr
