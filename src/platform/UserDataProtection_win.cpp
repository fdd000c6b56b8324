#include "platform/UserDataProtection.h"

#include <windows.h>
#include <dpapi.h>

#include <memory>

#include "platform/SystemError.h"

namespace qtr {
namespace {

struct LocalFreeDeleter {
  void operator()(BYTE* bytes) const { LocalFree(bytes); }
};

DATA_BLOB BlobOf(std::string_view bytes) {
  DATA_BLOB blob;
  blob.cbData = static_cast<DWORD>(bytes.size());
  blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
  return blob;
}

// The logon-bound data protection of the current user. UI_FORBIDDEN: a
// start by the hotkey or the schedule must never wait on a system prompt.
class WindowsUserDataProtection final : public UserDataProtection {
 public:
  uint32_t Protect(std::string_view plain, std::string_view purpose, std::string* sealed) override {
    DATA_BLOB in = BlobOf(plain), entropy = BlobOf(purpose), out{};
    if (!CryptProtectData(&in, L"QTR backup password", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out))
      return GetLastError();
    const std::unique_ptr<BYTE, LocalFreeDeleter> owner(out.pbData);
    sealed->assign(reinterpret_cast<const char*>(out.pbData), out.cbData);
    return 0;
  }

  uint32_t Unprotect(std::string_view sealed, std::string_view purpose, std::string* plain) override {
    DATA_BLOB in = BlobOf(sealed), entropy = BlobOf(purpose), out{};
    if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
      const DWORD error = GetLastError();
      return error != 0 ? error : kErrorInvalidData;
    }
    const std::unique_ptr<BYTE, LocalFreeDeleter> owner(out.pbData);
    plain->assign(reinterpret_cast<const char*>(out.pbData), out.cbData);
    SecureZeroMemory(out.pbData, out.cbData);
    return 0;
  }
};

}  // namespace

UserDataProtection& SystemUserDataProtection() {
  static WindowsUserDataProtection protection;
  return protection;
}

void WipeSecret(std::string& secret) {
  SecureZeroMemory(secret.data(), secret.size());
  secret.clear();
}

}  // namespace qtr
