#include "engine/TypeFilter.h"

#include "engine/StoreLayout.h"

namespace qtr {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

TypeFilter::TypeFilter(std::u16string_view text) {
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(u',', start);
    std::u16string_view entry =
        Trim(text.substr(start, comma == std::u16string_view::npos ? comma : comma - start));
    if (entry.starts_with(u"*")) entry.remove_prefix(1);
    if (entry.starts_with(u".")) entry.remove_prefix(1);
    if (!entry.empty()) suffixes_.push_back(u"." + Lowercase(entry));
    if (comma == std::u16string_view::npos) break;
    start = comma + 1;
  }
}

bool TypeFilter::Matches(std::u16string_view fileName) const {
  const std::u16string name = Lowercase(fileName);
  for (const std::u16string& suffix : suffixes_)
    if (name.size() > suffix.size() && name.ends_with(suffix)) return true;
  return false;
}

}  // namespace qtr
