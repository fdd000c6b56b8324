#include "xml/XmlEscape.h"

#include "xml/XmlEntities.h"

namespace qtr {
namespace {

std::u16string Escape(std::u16string_view value, bool attribute) {
  std::u16string out;
  out.reserve(value.size());
  for (char16_t c : value) {
    switch (c) {
      case u'&': out += u"&amp;"; break;
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'"':
        if (attribute)
          out += u"&quot;";
        else
          out += c;
        break;
      case u'\'':
        if (attribute)
          out += u"&apos;";
        else
          out += c;
        break;
      default: out += c;
    }
  }
  return out;
}

// The code point of a numeric reference body ("#65", "#x1F600"), 0 when it is none.
char32_t NumericReference(std::u16string_view body) {
  if (body.size() < 2 || body[0] != u'#') return 0;
  const bool hex = body[1] == u'x';
  size_t i = hex ? 2 : 1;
  if (i == body.size()) return 0;
  char32_t value = 0;
  for (; i < body.size(); ++i) {
    const char16_t c = body[i];
    unsigned digit;
    if (c >= u'0' && c <= u'9')
      digit = c - u'0';
    else if (hex && c >= u'a' && c <= u'f')
      digit = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F')
      digit = c - u'A' + 10;
    else
      return 0;
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0x10FFFF) return 0;  // also keeps the sum from overflowing
  }
  if (value >= 0xD800 && value <= 0xDFFF) return 0;
  return value;
}

void AppendCodePoint(char32_t cp, std::u16string& out) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

}  // namespace

std::u16string EscapeXmlText(std::u16string_view value) {
  return Escape(value, false);
}
std::u16string EscapeXmlAttribute(std::u16string_view value) {
  return Escape(value, true);
}

void AppendUnescapedXml(std::u16string_view text, std::u16string& out) {
  // A reference body is at most nine characters between '&' and ';'.
  constexpr size_t kMaxBody = 9;
  size_t i = 0;
  while (i < text.size()) {
    const size_t amp = text.find(u'&', i);
    if (amp == std::u16string_view::npos) {
      out.append(text.substr(i));
      return;
    }
    out.append(text.substr(i, amp - i));
    const size_t semi = text.substr(amp + 1, kMaxBody + 1).find(u';');
    char32_t cp = 0;
    if (semi != std::u16string_view::npos && semi > 0) {
      const std::u16string_view body = text.substr(amp + 1, semi);
      cp = body[0] == u'#' ? NumericReference(body) : LookupXmlEntity(body);
    }
    if (cp == 0) {
      out += u'&';
      i = amp + 1;
    } else {
      AppendCodePoint(cp, out);
      i = amp + 1 + semi + 1;
    }
  }
}

std::u16string UnescapeXml(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  AppendUnescapedXml(text, out);
  return out;
}

}  // namespace qtr
