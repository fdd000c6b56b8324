#include "platform/NumberText.h"

namespace qtr {

std::u16string DigitsOf(uint64_t value, size_t width) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value != 0);
  if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
  return digits;
}

bool ParseDigits(std::u16string_view text, uint64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t n = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - u'0');
    if (n > (UINT64_MAX - digit) / 10) return false;
    n = n * 10 + digit;
  }
  *value = n;
  return true;
}

std::u16string DecimalText(int64_t value, size_t width) {
  // Built from the unsigned magnitude so that the smallest value does not overflow.
  const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::u16string text = DigitsOf(magnitude, width);
  if (value < 0) text.insert(text.begin(), u'-');
  return text;
}

}  // namespace qtr
