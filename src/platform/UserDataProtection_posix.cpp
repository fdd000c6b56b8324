#include "platform/UserDataProtection.h"

#include <cstring>

#include "platform/SystemError.h"

namespace qtr {
namespace {

// No logon secret to seal with here: nothing is kept rather than kept readable.
class NoUserDataProtection final : public UserDataProtection {
 public:
  uint32_t Protect(std::string_view, std::string_view, std::string*) override { return kErrorNotSupported; }
  uint32_t Unprotect(std::string_view, std::string_view, std::string*) override { return kErrorNotSupported; }
};

}  // namespace

UserDataProtection& SystemUserDataProtection() {
  static NoUserDataProtection protection;
  return protection;
}

void WipeSecret(std::string& secret) {
  // The volatile pointer keeps the compiler from dropping stores to memory about to be freed.
  volatile char* bytes = secret.data();
  for (size_t i = 0; i < secret.size(); ++i) bytes[i] = 0;
  secret.clear();
}

}  // namespace qtr
