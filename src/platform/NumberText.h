// Whole numbers as decimal text in the core's strings, as printf's %u and
// %lld write them: no separators, whatever the system's locale.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qtr {

// The digits of value, with leading zeros up to width: DigitsOf(7, 2) is "07".
std::u16string DigitsOf(uint64_t value, size_t width = 0);
// The same for a signed value: a minus sign, then its digits padded to width
// (DecimalText(-5, 2) is "-05"). The smallest int64_t is written whole.
std::u16string DecimalText(int64_t value, size_t width = 0);
// The reverse of DigitsOf: the value of text made of decimal digits only
// (leading zeros allowed); false for empty text, any other character, or a
// value beyond 64 bits.
bool ParseDigits(std::u16string_view text, uint64_t* value);

}  // namespace qtr
