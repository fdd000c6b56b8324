#include <optional>

#include "crypto/CngHandles.h"
#include "crypto/Sha256.h"
#include "crypto/Sha256Blocks.h"

namespace qtr {

// CNG under Wine hashes in plain C, several times slower than the SHA
// instructions most current processors have; where they are, the hash runs
// in-process and CNG is not asked at all.
struct Sha256::State {
  std::optional<Sha256Blocks> fast;
  UniqueCngHash hash;
  bool ok = false;

  // Neither is held once Finish ran.
  bool Open() const { return fast.has_value() || static_cast<bool>(hash); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  if (Sha256BlockFunction compress = FastSha256Blocks()) {
    state_->fast.emplace(compress);
    state_->ok = true;
    return;
  }
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
  // Data after Finish would be lost from the digest: that is a failure too.
  if (!state_->Open()) state_->ok = false;
  if (!state_->ok) return;
  if (state_->fast) {
    state_->fast->Update(data, size);
    return;
  }
  auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
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
  if (!state_->Open()) state_->ok = false;
  if (state_->ok && state_->fast) {
    digest = state_->fast->Finish();
  } else if (state_->ok &&
             !BCRYPT_SUCCESS(BCryptFinishHash(state_->hash.Get(), digest.data(), digest.size(), 0))) {
    state_->ok = false;
  }
  if (!state_->ok) digest.fill(0);
  // Neither path takes data after it finished.
  state_->fast.reset();
  state_->hash.Reset();
  return digest;
}

bool Sha256::Ok() const {
  return state_->ok;
}

}  // namespace qtr
