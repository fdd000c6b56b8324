// UTF-8 <-> UTF-16 conversion done by hand, so that both builds decode
// and validate UTF-8 exactly alike.
#pragma once
#include <string>
#include <string_view>

namespace qtr {

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates,
// nothing above U+10FFFF, no sequence cut off at the end).
bool IsValidUtf8(std::string_view bytes);

// Invalid or truncated sequences become U+FFFD, one per offending byte.
std::u16string Utf8ToUtf16(std::string_view bytes);

// Unpaired surrogates become U+FFFD; lossy (when given) tells whether that happened.
std::string Utf16ToUtf8(std::u16string_view text, bool* lossy = nullptr);

}  // namespace qtr
