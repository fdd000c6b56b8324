// Named character references accepted by the XML document reader: the HTML 4.01
// set plus "apos", so hand-written documents using HTML entities still load.
#pragma once

#include <span>
#include <string_view>

namespace qtr {

struct XmlEntity {
  std::string_view name;
  char32_t codePoint;
};

// Code point of a named character reference, 0 when the name is unknown.
// An exact match wins; otherwise ASCII case is ignored ("AMP" -> '&').
char32_t LookupXmlEntity(std::u16string_view name);

// Every known entity, sorted by name (byte order).
std::span<const XmlEntity> XmlEntityTable();

}  // namespace qtr
