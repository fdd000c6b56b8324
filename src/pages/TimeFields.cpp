#include "pages/TimeFields.h"

#include <string>

#include "platform/NumberText.h"

namespace qtr {

int TimeFieldValue(std::u16string_view text, int max) {
  int value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + (c - u'0');
    // Past max already: more digits cannot bring it back, and stopping here
    // keeps a long run of digits from overflowing.
    if (value > max) return max;
  }
  return value;
}

std::optional<std::u16string> ClampedFieldText(std::u16string_view text, int max) {
  if (text.empty()) return std::nullopt;
  size_t digits = 0;
  int value = 0;
  bool over = false;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') break;
    ++digits;
    value = value * 10 + (c - u'0');
    if (value > max) {
      over = true;
      break;
    }
  }
  if (!over && digits == text.size()) return std::nullopt;
  // Too large, or holding something other than digits (pasted text).
  return DecimalText(over ? max : value);
}

TimeOfDay ParseTiming(std::u16string_view timing) {
  const size_t colon = timing.find(u':');
  TimeOfDay time;
  time.hour = TimeFieldValue(timing.substr(0, colon), kMaxHour);
  if (colon != std::u16string_view::npos) time.minute = TimeFieldValue(timing.substr(colon + 1), kMaxMinute);
  return time;
}

std::u16string FormatTiming(TimeOfDay time) {
  auto two = [](int value) {
    std::u16string text;
    text += static_cast<char16_t>(u'0' + value / 10 % 10);
    text += static_cast<char16_t>(u'0' + value % 10);
    return text;
  };
  return two(time.hour) + u":" + two(time.minute);
}

}  // namespace qtr
