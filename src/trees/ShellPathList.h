// The shell's file operations take their paths as one list: each path ends
// in a zero and the list in another.
#pragma once
#include <string>

#include "platform/WideText.h"

namespace qtr {

// The list of the one path, ready for SHFILEOPSTRUCTW's pFrom or pTo.
inline std::wstring ShellPathList(const std::u16string& path) {
  std::wstring list = AsWstring(path);
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

}  // namespace qtr
