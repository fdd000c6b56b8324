// Sealing a small secret so that only the Windows user who sealed it, on
// the same PC, can open it again (the system's data protection for the
// user's logon). The sealed bytes may be kept in any file: they are worth
// nothing to another user or another machine. Results are Win32 error
// codes, 0 on success.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qtr {

class UserDataProtection {
 public:
  virtual ~UserDataProtection() = default;
  // Seals plain; purpose must be given again to open it, so a sealed blob
  // of another kind is refused.
  virtual uint32_t Protect(std::string_view plain, std::string_view purpose, std::string* sealed) = 0;
  // Opens what Protect sealed for the same user and purpose; a blob of
  // another user, another purpose or a damaged one fails.
  virtual uint32_t Unprotect(std::string_view sealed, std::string_view purpose, std::string* plain) = 0;
};

// The system's: the user's data protection on Windows; elsewhere every
// call fails with kErrorNotSupported, as there is no user secret to tie to.
UserDataProtection& SystemUserDataProtection();

// Overwrites a secret before its memory is given back.
void WipeSecret(std::string& secret);

}  // namespace qtr
