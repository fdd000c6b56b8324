#include "platform/WineHost.h"

#include <windows.h>

#include <cwctype>

#include "platform/Handles.h"

namespace qtr {
namespace {

std::wstring Widen(const std::string& s) {
  return std::wstring(s.begin(), s.end());
}

std::string Env(const wchar_t* name) {
  wchar_t buffer[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return {};
  std::string out;
  for (DWORD i = 0; i < n; ++i) out.push_back(static_cast<char>(buffer[i]));
  return out;
}

std::wstring Root(wchar_t letter) {
  return std::wstring(1, static_cast<wchar_t>(std::towupper(letter))) + L":\\";
}

}  // namespace

std::string HostPath(const std::wstring& windowsPath) {
  using Fn = char*(CDECL*)(const wchar_t*);
  auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (fn == nullptr) return {};
  char* unix = fn(windowsPath.c_str());
  if (unix == nullptr) return {};
  std::string out(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

bool RunHostCommand(const std::wstring& program, const std::wstring& arguments) {
  // Wine runs a host executable named by its path on the drive that maps the host's root.
  std::wstring application = L"Z:" + program;
  for (wchar_t& c : application)
    if (c == L'/') c = L'\\';
  std::wstring line = program + L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  // The handles Wine gives for a host process cannot be waited on.
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  return true;
}

std::string DriveLinkPath(wchar_t letter) {
  std::string prefix = Env(L"WINEPREFIX");
  if (prefix.empty()) prefix = Env(L"HOME") + "/.wine";
  return prefix + "/dosdevices/" + static_cast<char>(std::towlower(letter)) + ":";
}

bool WaitForDriveRoot(wchar_t letter, bool reachable) {
  const std::wstring root = Root(letter);
  for (int i = 0; i < 500; ++i) {
    if ((GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES) == reachable) return true;
    Sleep(10);
  }
  return false;
}

bool LinkDriveLetter(wchar_t letter, const std::wstring& folder) {
  const std::string target = HostPath(folder);
  if (target.empty()) return false;
  CreateDirectoryW(folder.c_str(), nullptr);
  return RunHostCommand(L"/bin/ln",
                        L"-sfn \"" + Widen(target) + L"\" \"" + Widen(DriveLinkPath(letter)) + L"\"") &&
         WaitForDriveRoot(letter, true);
}

bool UnlinkDriveLetter(wchar_t letter) {
  if (HostPath(L"C:\\").empty()) return false;  // not under Wine
  return RunHostCommand(L"/bin/rm", L"-f \"" + Widen(DriveLinkPath(letter)) + L"\"") &&
         WaitForDriveRoot(letter, false);
}

}  // namespace qtr
