// Language\Language.xml, the languages offered on the other-settings page:
// "Language" elements with a table identifier ("LanguageID") and a display
// name ("value"). Loaded once at start-up.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xml/XmlDocument.h"

namespace qtr {

class LanguageList {
 public:
  bool Load(std::u16string_view path);

  // The "value" of every child of the root, in file order; "English" alone
  // when that leaves nothing (no list file, or an empty one).
  std::vector<std::u16string> DisplayNames() const;

  // The identifier of the last entry with that display name; nothing when none.
  std::optional<std::u16string> IdentifierOf(std::u16string_view displayName) const;
  // The display name of the last entry with that identifier; nothing when none.
  std::optional<std::u16string> DisplayNameOf(std::u16string_view identifier) const;

 private:
  // The attribute `wanted` of the last "Language" entry whose `match` equals value.
  std::optional<std::u16string> LastMatch(std::u16string_view match, std::u16string_view value,
                                          std::u16string_view wanted) const;

  mutable XmlDocument doc_;
};

// The one list, loaded at start-up.
LanguageList& InstalledLanguages();

}  // namespace qtr
