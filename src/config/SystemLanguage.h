// The system's default language identifier (a Windows LANGID such as 0x0409
// for English or 0x0804 for Simplified Chinese). Callers pass the value on to
// the configuration code, so tests choose any identifier they like.
#pragma once
#include <cstdint>

namespace qtr {

uint16_t SystemDefaultLanguageId();

}  // namespace qtr
