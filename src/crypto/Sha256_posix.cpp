#include <openssl/evp.h>

#include "crypto/Sha256.h"

namespace qtr {

struct Sha256::State {
  struct ContextFree {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
  };
  std::unique_ptr<EVP_MD_CTX, ContextFree> context;
  bool ok = false;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  state_->context.reset(EVP_MD_CTX_new());
  state_->ok = state_->context && EVP_DigestInit_ex(state_->context.get(), EVP_sha256(), nullptr) == 1;
}

Sha256::~Sha256() = default;

void Sha256::Update(const void* data, size_t size) {
  // Data after Finish would be lost from the digest: that is a failure too.
  if (!state_->context) state_->ok = false;
  if (state_->ok && size > 0 && EVP_DigestUpdate(state_->context.get(), data, size) != 1) state_->ok = false;
}

Sha256Digest Sha256::Finish() {
  Sha256Digest digest{};
  unsigned int length = 0;
  if (!state_->context) state_->ok = false;
  if (state_->ok &&
      (EVP_DigestFinal_ex(state_->context.get(), digest.data(), &length) != 1 || length != digest.size()))
    state_->ok = false;
  if (!state_->ok) digest.fill(0);
  state_->context.reset();
  return digest;
}

bool Sha256::Ok() const {
  return state_->ok;
}

}  // namespace qtr
