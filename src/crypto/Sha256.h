// SHA-256, the hash the store index keeps of every stored file: through
// libcrypto natively; in the Windows build through our own routine on the
// processor's SHA instructions where it has them, CNG otherwise.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace qtr {

using Sha256Digest = std::array<uint8_t, 32>;

// An incremental hash: Update any number of times, then Finish once.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Update(const void* data, size_t size);
  // All zero when Ok() is false.
  Sha256Digest Finish();
  // False once the library failed, or data came after Finish (or Finish
  // came twice): the digest is then not the hash of the data.
  bool Ok() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// All zero (never the hash of any data) when the library failed; callers
// that must tell use the class and its Ok().
Sha256Digest Sha256Of(const void* data, size_t size);

}  // namespace qtr
