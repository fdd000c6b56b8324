#include "support/ExecutableFolder.h"

#include <windows.h>

namespace qtr::test {

std::u16string ExecutableFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::u16string folder(path, path + length);
  folder.resize(folder.rfind(u'\\') + 1);
  return folder;
}

}  // namespace qtr::test
