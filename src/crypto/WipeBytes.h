// Overwrites key material before its memory is given back, in a way the
// compiler may not drop as a store to memory nobody reads again.
#pragma once
#include <cstddef>

namespace qtr {

void WipeBytes(void* bytes, size_t size);

}  // namespace qtr
