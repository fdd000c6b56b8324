// Conversion between code-page bytes and UTF-16, implemented with iconv on
// POSIX and with the Win32 code page functions on Windows.
#pragma once

#include <string>
#include <string_view>

namespace qtr {

// The system's ANSI code page: GetACP() on Windows, 1252 elsewhere.
unsigned AnsiCodePage();

// Bytes in the given code page (0 = ANSI) to UTF-16. Invalid sequences become
// U+FFFD. Returns false when the code page is unsupported or the conversion
// failed outright.
bool DecodeToUtf16(unsigned codePage, std::string_view bytes, std::u16string& out);

// UTF-16 to bytes in the code page (0 = ANSI). Characters with no equivalent,
// and unpaired surrogates, become '?' and set lossy. Returns false only when
// the code page is unsupported.
bool EncodeFromUtf16(unsigned codePage, std::u16string_view text, std::string& out, bool& lossy);

}  // namespace qtr
