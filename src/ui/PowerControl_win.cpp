#include <windows.h>

#include "platform/Handles.h"
#include "ui/CompletionAction.h"

namespace qtr {
namespace {

class Win32PowerControl final : public PowerControl {
 public:
  bool EnableShutdownPrivilege() override {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return false;
    UniqueHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return false;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // Succeeds also when not every privilege could be had; that is what the error code tells.
    return AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) &&
           GetLastError() == ERROR_SUCCESS;
  }

  bool Request(PowerRequest request, uint32_t reason) override {
    if (request == PowerRequest::None) return true;
    const UINT how = request == PowerRequest::PowerOff ? EWX_POWEROFF : EWX_REBOOT;
    return ExitWindowsEx(how, reason) != FALSE;
  }
};

}  // namespace

PowerControl& SystemPowerControl() {
  static Win32PowerControl control;
  return control;
}

}  // namespace qtr
