#include <climits>
#include <cstring>

#include "crypto/AesGcm.h"
#include "crypto/CngHandles.h"

namespace qtr {
namespace {

class CngAesGcm final : public AesGcm {
 public:
  explicit CngAesGcm(UniqueCngKey key) : key_(std::move(key)) {}

  bool Seal(const uint8_t (&nonce)[kGcmNonceSize], const uint8_t* aad, size_t aadSize, const uint8_t* plain,
            size_t size, uint8_t* cipher, uint8_t (&tag)[kGcmTagSize]) override {
    if (aadSize > ULONG_MAX || size > ULONG_MAX) return false;
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = ModeInfo(nonce, aad, aadSize, tag);
    ULONG written = 0;
    // A null output with a zero size would make CNG report the size only.
    uint8_t none = 0;
    NTSTATUS status =
        BCryptEncrypt(key_.Get(), size > 0 ? const_cast<PUCHAR>(plain) : &none, static_cast<ULONG>(size),
                      &info, nullptr, 0, size > 0 ? cipher : &none, static_cast<ULONG>(size), &written, 0);
    return BCRYPT_SUCCESS(status) && written == size;
  }

  bool Open(const uint8_t (&nonce)[kGcmNonceSize], const uint8_t* aad, size_t aadSize, const uint8_t* cipher,
            size_t size, const uint8_t (&tag)[kGcmTagSize], uint8_t* plain) override {
    if (aadSize > ULONG_MAX || size > ULONG_MAX) return false;
    uint8_t expected[kGcmTagSize];
    std::memcpy(expected, tag, sizeof expected);
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = ModeInfo(nonce, aad, aadSize, expected);
    ULONG written = 0;
    uint8_t none = 0;
    NTSTATUS status =
        BCryptDecrypt(key_.Get(), size > 0 ? const_cast<PUCHAR>(cipher) : &none, static_cast<ULONG>(size),
                      &info, nullptr, 0, size > 0 ? plain : &none, static_cast<ULONG>(size), &written, 0);
    return BCRYPT_SUCCESS(status) && written == size;
  }

 private:
  static BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO ModeInfo(const uint8_t (&nonce)[kGcmNonceSize],
                                                        const uint8_t* aad, size_t aadSize,
                                                        uint8_t (&tag)[kGcmTagSize]) {
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info{};
    info.cbSize = sizeof info;
    info.dwInfoVersion = BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO_VERSION;
    info.pbNonce = const_cast<PUCHAR>(nonce);
    info.cbNonce = kGcmNonceSize;
    info.pbAuthData = aadSize > 0 ? const_cast<PUCHAR>(aad) : nullptr;
    info.cbAuthData = static_cast<ULONG>(aadSize);
    info.pbTag = tag;
    info.cbTag = kGcmTagSize;
    return info;
  }

  UniqueCngKey key_;
};

}  // namespace

std::unique_ptr<AesGcm> AesGcm::Create(const uint8_t (&key)[kAesKeySize]) {
  BCRYPT_ALG_HANDLE provider = AesGcmProvider();
  BCRYPT_KEY_HANDLE handle = nullptr;
  // With no key object buffer given, CNG allocates and frees it itself.
  if (provider == nullptr || !BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(
                                 provider, &handle, nullptr, 0, const_cast<PUCHAR>(key), kAesKeySize, 0)))
    return nullptr;
  return std::make_unique<CngAesGcm>(UniqueCngKey(handle));
}

}  // namespace qtr
