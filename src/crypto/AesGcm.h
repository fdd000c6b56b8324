// AES-256-GCM through the platform's own library (CNG's bcrypt in the
// Windows build, libcrypto natively): one call seals or opens one chunk.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace qtr {

inline constexpr size_t kAesKeySize = 32;
inline constexpr size_t kGcmNonceSize = 12;
inline constexpr size_t kGcmTagSize = 16;

class AesGcm {
 public:
  // Null when the library cannot set up the key.
  static std::unique_ptr<AesGcm> Create(const uint8_t (&key)[kAesKeySize]);
  virtual ~AesGcm() = default;

  // Encrypts size bytes of plain into cipher (size bytes), authenticating
  // aad (may be empty) too; writes the tag. False on a library failure.
  virtual bool Seal(const uint8_t (&nonce)[kGcmNonceSize], const uint8_t* aad, size_t aadSize,
                    const uint8_t* plain, size_t size, uint8_t* cipher, uint8_t (&tag)[kGcmTagSize]) = 0;
  // Decrypts and checks the tag; false (plain then meaningless, never to be
  // used) when the chunk, its aad or its tag was altered.
  virtual bool Open(const uint8_t (&nonce)[kGcmNonceSize], const uint8_t* aad, size_t aadSize,
                    const uint8_t* cipher, size_t size, const uint8_t (&tag)[kGcmTagSize],
                    uint8_t* plain) = 0;
};

}  // namespace qtr
