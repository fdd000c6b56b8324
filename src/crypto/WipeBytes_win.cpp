#include <windows.h>

#include "crypto/WipeBytes.h"

namespace qtr {

void WipeBytes(void* bytes, size_t size) {
  SecureZeroMemory(bytes, size);
}

}  // namespace qtr
