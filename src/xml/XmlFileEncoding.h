// How the bytes of an XML file become document text and back: byte-order
// marks, declared encodings, UTF-8 detection and code-page conversion.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "xml/XmlResultLog.h"

namespace qtr {

// Encoding flags kept in a document between Load and Save.
inline constexpr uint32_t kXmlUtf16Le = 0x1;
inline constexpr uint32_t kXmlUtf8WithMark = 0x4;
inline constexpr uint32_t kXmlUtf16Be = 0x80;

// The encoding a document names for itself: the "encoding" of a leading XML
// declaration, or the charset of an HTML head's Content-Type meta element.
std::u16string DeclaredEncoding(std::u16string_view text);

// The text of a file's bytes; flags receives the byte-order mark found.
std::u16string DecodeXmlFile(std::string_view bytes, uint32_t& flags, XmlResultLog& log);

// The bytes to write for a text: the mark and encoding of flags, else the
// declared encoding, else UTF-8 without a mark. encoding receives the name used.
std::string EncodeXmlFile(std::u16string_view text, uint32_t flags, XmlResultLog& log,
                          std::u16string& encoding);

}  // namespace qtr
