#include <windows.h>

#include "engine/JobSettings.h"

namespace qtr {

std::u16string SystemDriveOfThisMachine() {
  wchar_t folder[260] = {};
  if (GetSystemDirectoryW(folder, 260) < 2) return u"C:";
  return std::u16string{static_cast<char16_t>(folder[0]), static_cast<char16_t>(folder[1])};
}

}  // namespace qtr
