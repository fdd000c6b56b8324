#include "ui/VersionEntryLabel.h"

#include <array>

#include "config/LanguageText.h"

namespace qtr {
namespace {

void AppendNumber(std::u16string& text, int value, bool twoDigits) {
  if (value < 0) value = 0;
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value > 0);
  if (twoDigits && digits.size() < 2) digits.insert(digits.begin(), u'0');
  text += digits;
}

// Tables are named by their Windows language identifier ("0x0804"); every
// Chinese one (0x0804, 0x0404, 0x0c04, ...) has the primary language 0x04.
bool WritesChineseDates(const LanguageTable& table) {
  if (!table.IsActive()) return false;
  const std::u16string id = table.Identifier();
  if (id.size() < 3 || id[0] != u'0' || (id[1] != u'x' && id[1] != u'X')) return false;
  unsigned value = 0;
  for (size_t i = 2; i < id.size(); ++i) {
    const char16_t c = id[i];
    unsigned digit = 0;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else return false;
    value = (value << 4) | digit;
    if (value > 0xFFFF) return false;
  }
  return (value & 0x3FF) == 0x04;
}

}  // namespace

std::u16string VersionDateText(const VersionStamp& stamp, const LanguageTable& table) {
  static constexpr std::array<std::u16string_view, 12> kMonths = {
      u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  std::u16string text;
  if (WritesChineseDates(table)) {
    AppendNumber(text, stamp.year, false);
    text += u'年';
    AppendNumber(text, stamp.month, false);
    text += u'月';
    AppendNumber(text, stamp.day, false);
    text += u"日 ";
  } else {
    AppendNumber(text, stamp.day, false);
    text += u' ';
    if (stamp.month >= 1 && stamp.month <= 12) {
      text += kMonths[static_cast<size_t>(stamp.month - 1)];
    } else {
      AppendNumber(text, stamp.month, true);
    }
    text += u' ';
    AppendNumber(text, stamp.year, false);
    text += u' ';
  }
  AppendNumber(text, stamp.hour, true);
  text += u':';
  AppendNumber(text, stamp.minute, true);
  text += u':';
  AppendNumber(text, stamp.second, true);
  if (stamp.number > 1) {
    text += u" (";
    AppendNumber(text, stamp.number, false);
    text += u')';
  }
  return text;
}

std::u16string VersionEntryLabel(const VersionStamp& stamp, const LanguageTable& table) {
  return FillText(DisplayText(table, TextId::VersionsEntry), {VersionDateText(stamp, table)});
}

}  // namespace qtr
