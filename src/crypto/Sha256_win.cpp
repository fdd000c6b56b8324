#include "crypto/Sha256.h"

#include "crypto/CngHandles.h"

namespace qtr {

struct Sha256::State {
  UniqueCngHash hash;
  bool ok = false;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  BCRYPT_HASH_HANDLE hash = nullptr;
  BCRYPT_ALG_HANDLE provider = Sha256Provider();
  // With no hash object buffer given, CNG allocates and frees it itself.
  if (provider != nullptr && BCRYPT_SUCCESS(BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0))) {
    state_->hash.Reset(hash);
    state_->ok = true;
  }
}

Sha256::~Sha256() = default;

void Sha256::Update(const void* data, size_t size) {
  auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
  // Data after Finish would be lost from the digest: that is a failure too.
  if (!state_->hash) state_->ok = false;
  // BCryptHashData takes a ULONG size: feed larger buffers in pieces.
  while (state_->ok && size > 0) {
    ULONG piece = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
    if (!BCRYPT_SUCCESS(BCryptHashData(state_->hash.Get(), bytes, piece, 0))) state_->ok = false;
    bytes += piece;
    size -= piece;
  }
}

Sha256Digest Sha256::Finish() {
  Sha256Digest digest{};
  if (!state_->hash) state_->ok = false;
  if (state_->ok && !BCRYPT_SUCCESS(BCryptFinishHash(state_->hash.Get(), digest.data(), digest.size(), 0)))
    state_->ok = false;
  if (!state_->ok) digest.fill(0);
  // A CNG hash cannot take data after it finished.
  state_->hash.Reset();
  return digest;
}

bool Sha256::Ok() const {
  return state_->ok;
}

}  // namespace qtr
