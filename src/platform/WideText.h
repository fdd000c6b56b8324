// The Windows calls take wchar_t text while the portable core keeps
// std::u16string; on Windows both hold the same UTF-16 code units, so text
// crosses over unchanged, without any conversion.
#pragma once
#include <string>

namespace qtr {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must hold UTF-16 code units");

// The two string types hold the same code units: AsWstring and AsU16string
// copy one into the other, unchanged.

// A wide copy of the text, for calls that keep it or texts that are built on.
inline std::wstring AsWstring(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// The text's own zero-terminated code units for a call that only reads them;
// valid as long as the text lives unchanged.
inline const wchar_t* WidePointer(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// The core's string of a wide text.
inline std::u16string AsU16string(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}
// The core's string of a zero-terminated wide text, such as a filled buffer.
inline std::u16string AsU16string(const wchar_t* text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

}  // namespace qtr
