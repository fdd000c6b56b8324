// The system's random generator (BCryptGenRandom in the Windows build,
// libcrypto's RAND_bytes natively): salts and nonce prefixes.
#pragma once
#include <cstddef>

namespace qtr {

// False when the generator failed; the buffer must then not be used.
bool FillRandom(void* buffer, size_t size);

}  // namespace qtr
