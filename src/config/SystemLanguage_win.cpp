#include <windows.h>

#include "config/SystemLanguage.h"

namespace qtr {

uint16_t SystemDefaultLanguageId() {
  return GetSystemDefaultLangID();
}

}  // namespace qtr
