// Escaping of values written into XML text and attributes, and the reading
// of character references back.
#pragma once
#include <string>
#include <string_view>

namespace qtr {

// & < > become &amp; &lt; &gt;
std::u16string EscapeXmlText(std::u16string_view value);
// As text, and also " and ' become &quot; &apos;
std::u16string EscapeXmlAttribute(std::u16string_view value);

// Replaces numeric and named character references by their characters. A
// reference that is too long, has no ';', names no known entity or stands
// for 0 (or for no Unicode character) is kept literally.
std::u16string UnescapeXml(std::u16string_view text);
// Appends the unescaped text to out.
void AppendUnescapedXml(std::u16string_view text, std::u16string& out);

}  // namespace qtr
