// Reading the 38-byte INQUIRY answer of a USB enclosure's bridge: the
// identification texts and the two marker bytes that say the enclosure is
// one of ours.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qtr {

inline constexpr uint32_t kInquiryLength = 38;
// The vendor-specific bytes 36 and 37 of a supported enclosure's answer.
inline constexpr uint8_t kInquiryMarker36 = 0x51;
inline constexpr uint8_t kInquiryMarker37 = 0x58;

struct InquiryAnswer {
  bool supported = false;      // both marker bytes present
  std::u16string vendor;       // bytes 8-15 up to the first zero byte, ANSI decoded
  std::u16string product;      // bytes 16-31 likewise
  std::u16string displayName;  // vendor + product, trailing white space cut
};

// Any bytes are accepted; an answer shorter than 38 bytes is never supported
// and yields only the texts it holds.
InquiryAnswer ParseInquiryAnswer(const uint8_t* answer, size_t length);

// The vendor name for an INQUIRY vendor text: the text cut at its first
// character that is not an ASCII letter, then the first table key found in
// it (case-sensitive), else the cut text itself.
std::u16string VendorNameFor(std::u16string_view vendorText);

// White space as the display name trims it.
bool IsWideSpace(char16_t c);

}  // namespace qtr
