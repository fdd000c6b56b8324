#include "crypto/WipeBytes.h"

namespace qtr {

void WipeBytes(void* bytes, size_t size) {
  // The volatile pointer keeps every store.
  volatile unsigned char* p = static_cast<unsigned char*>(bytes);
  for (size_t i = 0; i < size; ++i) p[i] = 0;
}

}  // namespace qtr
