#include <openssl/evp.h>

#include <climits>
#include <cstring>

#include "crypto/AesGcm.h"

namespace qtr {
namespace {

struct ContextFree {
  void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, ContextFree>;

class OpenSslAesGcm final : public AesGcm {
 public:
  explicit OpenSslAesGcm(const uint8_t (&key)[kAesKeySize]) { std::memcpy(key_, key, sizeof key_); }
  ~OpenSslAesGcm() override { OPENSSL_cleanse(key_, sizeof key_); }

  bool Seal(const uint8_t (&nonce)[kGcmNonceSize], const uint8_t* aad, size_t aadSize, const uint8_t* plain,
            size_t size, uint8_t* cipher, uint8_t (&tag)[kGcmTagSize]) override {
    if (aadSize > INT_MAX || size > INT_MAX) return false;
    CipherContext context(EVP_CIPHER_CTX_new());
    int length = 0;
    if (!context || EVP_EncryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, key_, nonce) != 1)
      return false;
    if (aadSize > 0 &&
        EVP_EncryptUpdate(context.get(), nullptr, &length, aad, static_cast<int>(aadSize)) != 1)
      return false;
    if (size > 0 && EVP_EncryptUpdate(context.get(), cipher, &length, plain, static_cast<int>(size)) != 1)
      return false;
    if (EVP_EncryptFinal_ex(context.get(), cipher + size, &length) != 1) return false;
    return EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, kGcmTagSize, tag) == 1;
  }

  bool Open(const uint8_t (&nonce)[kGcmNonceSize], const uint8_t* aad, size_t aadSize, const uint8_t* cipher,
            size_t size, const uint8_t (&tag)[kGcmTagSize], uint8_t* plain) override {
    if (aadSize > INT_MAX || size > INT_MAX) return false;
    CipherContext context(EVP_CIPHER_CTX_new());
    int length = 0;
    if (!context || EVP_DecryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, key_, nonce) != 1)
      return false;
    if (aadSize > 0 &&
        EVP_DecryptUpdate(context.get(), nullptr, &length, aad, static_cast<int>(aadSize)) != 1)
      return false;
    if (size > 0 && EVP_DecryptUpdate(context.get(), plain, &length, cipher, static_cast<int>(size)) != 1)
      return false;
    uint8_t expected[kGcmTagSize];
    std::memcpy(expected, tag, sizeof expected);
    if (EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, kGcmTagSize, expected) != 1) return false;
    return EVP_DecryptFinal_ex(context.get(), plain + size, &length) == 1;
  }

 private:
  uint8_t key_[kAesKeySize];
};

}  // namespace

std::unique_ptr<AesGcm> AesGcm::Create(const uint8_t (&key)[kAesKeySize]) {
  return std::make_unique<OpenSslAesGcm>(key);
}

}  // namespace qtr
