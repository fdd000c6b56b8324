// Small scanners over XML text shared by the parser, the cursor operations
// and the encoding sniffer.
#pragma once
#include <string_view>

namespace qtr::xml {

inline bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// A tag name starts with an ASCII letter, '_', ':' or anything above 'z'.
inline bool IsNameStart(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c > u'z';
}

inline bool EndsName(char16_t c) {
  return IsSpace(c) || c == u'/' || c == u'>' || c == u'=' || c == u'<';
}

// End of the name that starts at i.
inline size_t NameEnd(std::u16string_view text, size_t i) {
  while (i < text.size() && !EndsName(text[i])) ++i;
  return i;
}

inline size_t SkipSpace(std::u16string_view text, size_t i) {
  while (i < text.size() && IsSpace(text[i])) ++i;
  return i;
}

// One attribute of a start tag, with offsets into the text it was read from.
struct AttributeSpan {
  size_t nameStart = 0, nameEnd = 0;
  size_t valueStart = 0, valueEnd = 0;  // the value without its quotes
  bool quoted = false;
  size_t end = 0;  // just past the attribute (and its closing quote)
};

// Reads the attribute at or after i inside a start tag that ends at tagEnd
// (the offset of its closing '>' or "/>"). False when no attribute is left.
inline bool NextAttribute(std::u16string_view text, size_t i, size_t tagEnd, AttributeSpan& out) {
  i = SkipSpace(text, i);
  if (i >= tagEnd || text[i] == u'/' || text[i] == u'>' || text[i] == u'?') return false;
  out = AttributeSpan{};
  out.nameStart = i;
  while (i < tagEnd && !IsSpace(text[i]) && text[i] != u'=' && text[i] != u'>' && text[i] != u'/') ++i;
  out.nameEnd = i;
  if (out.nameEnd == out.nameStart) ++i;  // a stray character: step over it
  size_t j = SkipSpace(text, i);
  if (j < tagEnd && text[j] == u'=') {
    j = SkipSpace(text, j + 1);
    if (j < tagEnd && (text[j] == u'"' || text[j] == u'\'')) {
      const char16_t quote = text[j];
      size_t close = j + 1;
      while (close < tagEnd && text[close] != quote) ++close;
      out.quoted = true;
      out.valueStart = j + 1;
      out.valueEnd = close;
      out.end = close < tagEnd ? close + 1 : tagEnd;
    } else {
      size_t k = j;
      while (k < tagEnd && !IsSpace(text[k]) && text[k] != u'>') ++k;
      out.valueStart = j;
      out.valueEnd = k;
      out.end = k;
    }
  } else {
    out.valueStart = out.valueEnd = i;
    out.end = i;
  }
  return true;
}

// Finds the attribute called name in the start tag [tagStart, tagEnd).
inline bool FindAttribute(std::u16string_view text, size_t tagStart, size_t tagEnd, std::u16string_view name,
                          AttributeSpan& out) {
  size_t i = NameEnd(text, tagStart + 1);
  AttributeSpan span;
  while (NextAttribute(text, i, tagEnd, span)) {
    if (text.substr(span.nameStart, span.nameEnd - span.nameStart) == name) {
      out = span;
      return true;
    }
    i = span.end;
  }
  return false;
}

}  // namespace qtr::xml
