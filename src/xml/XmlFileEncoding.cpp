#include "xml/XmlFileEncoding.h"

#include <algorithm>

#include "platform/EncodingAliases.h"
#include "platform/NumberText.h"
#include "platform/TextCodec.h"
#include "platform/Utf8.h"
#include "xml/XmlSyntax.h"

namespace qtr {
namespace {

constexpr size_t npos = std::u16string_view::npos;
constexpr unsigned kUtf8 = 65001, kUtf16Le = 1200, kUtf16Be = 1201;
constexpr size_t kSniffBytes = 1024;

char16_t Lower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

size_t FindNoCase(std::u16string_view text, std::u16string_view what, size_t from = 0) {
  if (what.size() > text.size()) return npos;
  for (size_t i = from; i + what.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < what.size() && Lower(text[i + k]) == what[k]) ++k;
    if (k == what.size()) return i;
  }
  return npos;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && FindNoCase(a, b) == 0;
}

std::u16string AttributeValue(std::u16string_view text, size_t tagStart, size_t tagEnd,
                              std::u16string_view name) {
  size_t i = xml::NameEnd(text, tagStart + 1);
  xml::AttributeSpan span;
  while (xml::NextAttribute(text, i, tagEnd, span)) {
    if (EqualNoCase(text.substr(span.nameStart, span.nameEnd - span.nameStart), name))
      return std::u16string(text.substr(span.valueStart, span.valueEnd - span.valueStart));
    i = span.end;
  }
  return {};
}

// The charset of <meta http-equiv="Content-Type" content="text/html; charset=x">
// (or <meta charset="x">) inside an HTML head.
std::u16string MetaCharset(std::u16string_view text) {
  const size_t head = FindNoCase(text, u"<head");
  if (head == npos) return {};
  for (size_t meta = FindNoCase(text, u"<meta", head); meta != npos;
       meta = FindNoCase(text, u"<meta", meta + 5)) {
    const size_t end = text.find(u'>', meta);
    if (end == npos) return {};
    std::u16string charset = AttributeValue(text, meta, end, u"charset");
    if (!charset.empty()) return charset;
    if (!EqualNoCase(AttributeValue(text, meta, end, u"http-equiv"), u"content-type")) continue;
    const std::u16string content = AttributeValue(text, meta, end, u"content");
    const size_t at = FindNoCase(content, u"charset=");
    if (at == npos) continue;
    size_t stop = at + 8;
    while (stop < content.size() && content[stop] != u';' && !xml::IsSpace(content[stop])) ++stop;
    return content.substr(at + 8, stop - at - 8);
  }
  return {};
}

std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t unit : text) {
    const char lo = static_cast<char>(unit & 0xFF), hi = static_cast<char>(unit >> 8);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

// Whether valid UTF-8 is cut off inside a character at its end.
bool EndsInsideUtf8Character(std::string_view bytes) {
  const size_t n = bytes.size();
  for (size_t back = 1; back <= 4 && back <= n; ++back) {
    const auto b = static_cast<unsigned char>(bytes[n - back]);
    if ((b & 0xC0) == 0x80) continue;  // continuation byte: keep looking for the lead
    const size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return need > back && IsValidUtf8(bytes.substr(0, n - back));
  }
  return false;
}

std::u16string DecodeUtf16(std::string_view bytes, uint32_t flags, XmlResultLog& log) {
  const bool bigEndian = (flags & kXmlUtf16Be) != 0;
  const std::u16string name = bigEndian ? u"UTF-16BE" : u"UTF-16LE";
  const size_t units = bytes.size() / 2;
  log.Add(u"read", {{u"encoding", name}, {u"length", DigitsOf(units)}});
  if (bytes.size() % 2 != 0) log.Add(u"truncation_error", {{u"encoding", name}});
  std::u16string text;
  text.reserve(units);
  size_t nulls = 0;
  for (size_t i = 0; i < units; ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    const char16_t unit =
        bigEndian ? static_cast<char16_t>(first << 8 | second) : static_cast<char16_t>(second << 8 | first);
    if (unit == 0) {
      ++nulls;
    } else {
      text += unit;
    }
  }
  if (nulls != 0) log.Add(u"nulls_removed", {{u"count", DigitsOf(nulls)}});
  if (bigEndian) log.Add(u"endian_swap");
  return text;
}

}  // namespace

std::u16string DeclaredEncoding(std::u16string_view text) {
  const size_t start = xml::SkipSpace(text, 0);
  if (text.substr(start, 5) == u"<?xml") {
    const size_t end = text.find(u"?>", start);
    if (end != npos) return AttributeValue(text, start, end, u"encoding");
    return {};
  }
  return MetaCharset(text);
}

std::u16string DecodeXmlFile(std::string_view bytes, uint32_t& flags, XmlResultLog& log) {
  flags = 0;
  const auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (starts("\xEF\xBB\xBF")) {
    flags = kXmlUtf8WithMark;
  } else if (starts("\xFF\xFE")) {
    flags = kXmlUtf16Le;
  } else if (starts("\xFE\xFF")) {
    flags = kXmlUtf16Be;
  }
  if (flags != 0) log.Add(u"bom");
  if (flags & (kXmlUtf16Le | kXmlUtf16Be)) return DecodeUtf16(bytes.substr(2), flags, log);

  std::string_view body = bytes.substr(flags == kXmlUtf8WithMark ? 3 : 0);
  std::u16string encoding;
  bool assumed = false;  // UTF-8 only because the file starts with '<'
  if (flags == kXmlUtf8WithMark) {
    encoding = u"UTF-8";
  } else {
    encoding = DeclaredEncoding(Utf8ToUtf16(bytes.substr(0, kSniffBytes)));
    if (encoding.empty() && !bytes.empty() && bytes[0] == '<') {
      encoding = u"UTF-8";
      assumed = true;
    }
  }

  std::string cleaned;
  const size_t nulls = static_cast<size_t>(std::count(body.begin(), body.end(), '\0'));
  if (nulls != 0) {
    cleaned.reserve(body.size() - nulls);
    for (char c : body)
      if (c != '\0') cleaned += c;
    body = cleaned;
  }
  log.Add(u"read",
          {{u"encoding", encoding.empty() ? u"ANSI" : encoding}, {u"length", DigitsOf(bytes.size())}});
  if (nulls != 0) log.Add(u"nulls_removed", {{u"count", DigitsOf(nulls)}});

  unsigned codePage = encoding.empty() ? 0 : CodePageFromEncodingName(encoding);
  // A file that only looks like XML, or names UTF-16 without being UTF-16,
  // is UTF-8 when its bytes say so and ANSI otherwise; so an undeclared ANSI
  // file is never turned into replacement characters.
  const bool undecided = encoding.empty() || assumed || codePage == kUtf16Le || codePage == kUtf16Be;
  if (undecided) {
    if (encoding.empty()) log.Add(u"utf8_detection");
    const bool utf8 = IsValidUtf8(body);
    codePage = utf8 ? kUtf8 : 0;
    if (encoding.empty() && utf8) log.Update(u"read", u"encoding", u"UTF-8");
  }

  std::u16string text;
  if (codePage == kUtf8) {
    if (EndsInsideUtf8Character(body)) log.Add(u"truncation_error", {{u"encoding", u"UTF-8"}});
    text = Utf8ToUtf16(body);
  } else if (!DecodeToUtf16(codePage, body, text)) {
    // A code page this system cannot convert: read the bytes as ANSI.
    DecodeToUtf16(0, body, text);
  }
  log.Add(u"converted_to", {{u"encoding", u"UTF-16"}, {u"length", DigitsOf(text.size())}});
  return text;
}

std::string EncodeXmlFile(std::u16string_view text, uint32_t flags, XmlResultLog& log,
                          std::u16string& encoding) {
  if (flags & (kXmlUtf16Le | kXmlUtf16Be)) {
    const bool bigEndian = (flags & kXmlUtf16Le) == 0;
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    bytes += Utf16Bytes(text, bigEndian);
    encoding = bigEndian ? u"UTF-16BE" : u"UTF-16LE";
    return bytes;
  }
  encoding = (flags & kXmlUtf8WithMark) ? u"UTF-8" : DeclaredEncoding(text.substr(0, kSniffBytes));
  if (encoding.empty()) encoding = u"UTF-8";
  unsigned codePage = CodePageFromEncodingName(encoding);
  if (codePage == kUtf16Le || codePage == kUtf16Be) codePage = kUtf8;

  std::string bytes = (flags & kXmlUtf8WithMark) ? "\xEF\xBB\xBF" : "";
  bool lossy = false;
  if (codePage == kUtf8) {
    bytes += Utf16ToUtf8(text, &lossy);
  } else {
    std::string converted;
    if (!EncodeFromUtf16(codePage, text, converted, lossy)) EncodeFromUtf16(0, text, converted, lossy);
    bytes += converted;
  }
  log.Add(u"converted_from", {{u"encoding", encoding}, {u"length", DigitsOf(bytes.size())}});
  if (lossy) log.Add(u"conversion_loss", {{u"encoding", encoding}});
  return bytes;
}

}  // namespace qtr
