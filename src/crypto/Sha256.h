// SHA-256 through the platform's own library (CNG in the Windows build,
// libcrypto natively): the hash the store index keeps of every stored file.
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
  Sha256Digest Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

Sha256Digest Sha256Of(const void* data, size_t size);

}  // namespace qtr
