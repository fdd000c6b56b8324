// The hour and minute fields of the time dialog and the "HH:MM" form in
// which a schedule day keeps its time.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qtr {

inline constexpr int kMaxHour = 23;
inline constexpr int kMaxMinute = 59;

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
};

// The value of a field: its leading digits, at most max; an empty field (or
// one that does not start with a digit) is 0.
int TimeFieldValue(std::u16string_view text, int max);

// What a field must show after the person changed it, when that differs
// from what it shows: a number above max becomes max ("75" in the minute
// field becomes "59"). Nothing when the text may stay, an empty field too.
std::optional<std::u16string> ClampedFieldText(std::u16string_view text, int max);

// The digits before and after the ':' of a stored "Timing"; each clamped to
// its range, so a damaged entry opens the dialog on a time it can store.
TimeOfDay ParseTiming(std::u16string_view timing);

// "HH:MM", each part with a leading "0" below 10.
std::u16string FormatTiming(TimeOfDay time);

}  // namespace qtr
