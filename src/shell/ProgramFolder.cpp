#include "shell/ProgramFolder.h"

#include <windows.h>

namespace qtr {

const std::u16string& ProgramFolder() {
  static const std::u16string folder = [] {
    // A program installed deeper than MAX_PATH still finds its files.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (n < path.size()) {
        path.resize(n);
        break;
      }
      path.resize(path.size() * 2);
    }
    path.resize(path.rfind(L'\\') + 1);
    return std::u16string(path.begin(), path.end());
  }();
  return folder;
}

}  // namespace qtr
