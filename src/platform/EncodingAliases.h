// Maps the encoding names found in document declarations (IANA charset names
// and common spellings) to Windows code pages, and code pages to iconv names.
#pragma once

#include <span>
#include <string_view>

namespace qtr {

struct EncodingAlias {
  std::string_view name;  // lower case
  unsigned codePage;
};

// Windows code page for an encoding name (ASCII case ignored), 0 when unknown.
unsigned CodePageFromEncodingName(std::u16string_view name);

// The name to hand to iconv for a code page, nullptr when none is known.
const char* IconvNameForCodePage(unsigned codePage);

// Every known alias, sorted by name.
std::span<const EncodingAlias> EncodingAliasTable();

}  // namespace qtr
