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

std::u16string DecimalText(int64_t value, size_t width) {
  // Built from the unsigned magnitude so that the smallest value does not overflow.
  const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::u16string text = DigitsOf(magnitude, width);
  if (value < 0) text.insert(text.begin(), u'-');
  return text;
}

}  // namespace qtr
