// A user-visible text as a language key and its English default; the
// window that shows it looks the key up in the active language table.
#pragma once
#include <string_view>

namespace qtr {

struct PromptText {
  std::string_view key;
  std::u16string_view english;

  friend bool operator==(const PromptText& a, const PromptText& b) { return a.key == b.key; }
};

}  // namespace qtr
