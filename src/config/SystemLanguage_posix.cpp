#include "config/SystemLanguage.h"

namespace qtr {

// Without a Windows locale the program runs in English.
uint16_t SystemDefaultLanguageId() {
  return 0x0409;
}

}  // namespace qtr
