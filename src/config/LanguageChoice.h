// The rules of the language list on the other-settings page, kept apart from
// the page so that they can be checked without a window: which entry shows
// the stored language, and what picking an entry does.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/LanguageList.h"

namespace qtr {

// Whether the table of an identifier loads (LanguageTableLoads in the program).
using TableLoads = std::function<bool(std::u16string_view identifier)>;

// The first entry that begins with text, ignoring case, as a drop-down list
// finds it; -1 when none does.
int FindListEntry(const std::vector<std::u16string>& entries, std::u16string_view text);

struct ShownLanguage {
  int index = -1;              // the entry to select and remember as the current choice
  bool insertEnglish = false;  // "Language" was missing: store "English" for it
};

// storedLanguage is the text of "Language" in init.xml, nothing when the key is missing.
ShownLanguage ShowStoredLanguage(const std::vector<std::u16string>& entries, const LanguageList& list,
                                 const std::optional<std::u16string>& storedLanguage,
                                 const TableLoads& tableLoads);

struct LanguagePick {
  enum class Action {
    kNothing,  // the entry already is the current choice
    kRevert,   // its table does not load: select the current choice again, store nothing
    kStore,    // store "Language" = identifier, apply it, make the entry current
  };
  Action action = Action::kNothing;
  std::u16string identifier;
};

LanguagePick PickLanguage(const std::vector<std::u16string>& entries, int picked, int current,
                          const LanguageList& list, const TableLoads& tableLoads);

}  // namespace qtr
