#include <windows.h>

#include <vector>

#include "config/AutoStart.h"
#include "platform/Handles.h"
#include "platform/WideText.h"

namespace qtr {
namespace {

struct RegistryKeyTraits {
  using Type = HKEY;
  static HKEY Normalize(HKEY key) { return key; }
  static void Close(HKEY key) { RegCloseKey(key); }
};
using RegistryKey = UniqueResource<RegistryKeyTraits>;

// Deletes the value from root's Run key; a key or value that is not there
// is what was asked for.
LSTATUS DeleteRunValue(HKEY root) {
  const std::u16string keyPath(kRunKeyPath);
  const std::u16string valueName(kAutoStartValueName);
  HKEY raw = nullptr;
  LSTATUS status = RegOpenKeyExW(root, WidePointer(keyPath), 0, KEY_SET_VALUE, &raw);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return status;
  RegistryKey key(raw);
  status = RegDeleteValueW(key.Get(), WidePointer(valueName));
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

std::u16string RunValue(HKEY root) {
  const std::u16string keyPath(kRunKeyPath);
  const std::u16string valueName(kAutoStartValueName);
  DWORD bytes = 0;
  if (RegGetValueW(root, WidePointer(keyPath), WidePointer(valueName), RRF_RT_REG_SZ, nullptr, nullptr,
                   &bytes) != ERROR_SUCCESS ||
      bytes < sizeof(wchar_t)) {
    return {};
  }
  std::u16string value(bytes / sizeof(char16_t), u'\0');
  if (RegGetValueW(root, WidePointer(keyPath), WidePointer(valueName), RRF_RT_REG_SZ, nullptr, value.data(),
                   &bytes) != ERROR_SUCCESS) {
    return {};
  }
  value.resize(bytes / sizeof(char16_t));
  while (!value.empty() && value.back() == u'\0') value.pop_back();
  return value;
}

}  // namespace

// The per-user Run key: the program runs as invoker, and a standard user
// cannot write the machine's key.
uint32_t SetAutoStart(bool enabled, std::u16string_view command) {
  const std::u16string keyPath(kRunKeyPath);
  const std::u16string valueName(kAutoStartValueName);
  if (!enabled) {
    const LSTATUS status = DeleteRunValue(HKEY_CURRENT_USER);
    if (status != ERROR_SUCCESS) return static_cast<uint32_t>(status);
    // A machine-wide entry (written by an administrator, or by an older
    // version) would still start the program: remove it where this user
    // may. Where it may not, the per-user choice is all there is to make.
    DeleteRunValue(HKEY_LOCAL_MACHINE);
    return 0;
  }
  HKEY raw = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, WidePointer(keyPath), 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, &raw, nullptr);
  if (status != ERROR_SUCCESS) return static_cast<uint32_t>(status);
  RegistryKey key(raw);
  const std::u16string value(command);
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(char16_t));
  status = RegSetValueExW(key.Get(), WidePointer(valueName), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  return static_cast<uint32_t>(status);
}

uint32_t SetAutoStartForThisProgram(bool enabled) {
  // Paths may be longer than MAX_PATH; grow until the name fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return GetLastError();
    if (length < buffer.size()) {
      return SetAutoStart(enabled,
                          std::u16string_view(reinterpret_cast<const char16_t*>(buffer.data()), length));
    }
    if (buffer.size() >= 32768) return ERROR_INSUFFICIENT_BUFFER;
    buffer.resize(buffer.size() * 2);
  }
}

std::u16string AutoStartCommand() {
  return RunValue(HKEY_CURRENT_USER);
}

std::u16string MachineAutoStartCommand() {
  return RunValue(HKEY_LOCAL_MACHINE);
}

}  // namespace qtr
