#include "devices/InquiryAnswer.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/TextCodec.h"

namespace qtr {
namespace {

constexpr size_t kVendorOffset = 8;
constexpr size_t kVendorLength = 8;
constexpr size_t kProductOffset = 16;
constexpr size_t kProductLength = 16;
constexpr size_t kVendorCopyMax = 259;

struct VendorEntry {
  std::u16string_view key;
  std::u16string_view name;
};

// Searched in this order: "ST" before "HP", so "HPST" is a Seagate disk.
constexpr std::array<VendorEntry, 9> kVendorTable{{
    {u"WDC", u"Western Digital"},
    {u"ST", u"Seagate"},
    {u"Maxtor", u"Maxtor"},
    {u"IBM", u"IBM"},
    {u"Fujitsu", u"Fujitsu"},
    {u"Samsung", u"Samsung Electronics"},
    {u"HP", u"HP"},
    {u"Sony", u"Sony"},
    {u"Apple", u"Apple Inc"},
}};

// A field of the answer as the zero-terminated text it would be in a
// zero-filled buffer: it ends at its first zero byte or at the field's end,
// and never beyond the bytes actually received.
std::u16string FieldText(const uint8_t* answer, size_t length, size_t offset, size_t fieldLength) {
  if (offset >= length) return {};
  const size_t available = std::min(fieldLength, length - offset);
  const char* begin = reinterpret_cast<const char*>(answer + offset);
  const size_t n = std::find(begin, begin + available, '\0') - begin;
  std::u16string text;
  if (!DecodeToUtf16(0, std::string_view(begin, n), text)) text.clear();
  return text;
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

}  // namespace

bool IsWideSpace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

InquiryAnswer ParseInquiryAnswer(const uint8_t* answer, size_t length) {
  InquiryAnswer result;
  if (answer == nullptr) return result;
  result.vendor = FieldText(answer, length, kVendorOffset, kVendorLength);
  result.product = FieldText(answer, length, kProductOffset, kProductLength);
  result.displayName = result.vendor + result.product;
  while (!result.displayName.empty() && IsWideSpace(result.displayName.back())) result.displayName.pop_back();
  result.supported =
      length >= kInquiryLength && answer[36] == kInquiryMarker36 && answer[37] == kInquiryMarker37;
  return result;
}

std::u16string VendorNameFor(std::u16string_view vendorText) {
  std::u16string cut(vendorText.substr(0, kVendorCopyMax));
  const auto stop = std::find_if_not(cut.begin(), cut.end(), IsAsciiLetter);
  cut.erase(stop, cut.end());
  for (const VendorEntry& entry : kVendorTable)
    if (cut.find(entry.key) != std::u16string::npos) return std::u16string(entry.name);
  return cut;
}

}  // namespace qtr
