#include "config/LanguageChoice.h"

namespace qtr {
namespace {

char16_t FoldCase(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (FoldCase(text[i]) != FoldCase(prefix[i])) return false;
  return true;
}

}  // namespace

int FindListEntry(const std::vector<std::u16string>& entries, std::u16string_view text) {
  for (size_t i = 0; i < entries.size(); ++i)
    if (StartsWithIgnoringCase(entries[i], text)) return static_cast<int>(i);
  return -1;
}

ShownLanguage ShowStoredLanguage(const std::vector<std::u16string>& entries, const LanguageList& list,
                                 const std::optional<std::u16string>& storedLanguage,
                                 const TableLoads& tableLoads) {
  ShownLanguage shown;
  if (!storedLanguage) {
    shown.index = entries.empty() ? -1 : 0;
    shown.insertEnglish = true;
    return shown;
  }
  std::u16string name = u"English";
  if (tableLoads(*storedLanguage)) name = list.DisplayNameOf(*storedLanguage).value_or(*storedLanguage);
  shown.index = FindListEntry(entries, name);
  return shown;
}

LanguagePick PickLanguage(const std::vector<std::u16string>& entries, int picked, int current,
                          const LanguageList& list, const TableLoads& tableLoads) {
  LanguagePick pick;
  if (picked == current || picked < 0 || static_cast<size_t>(picked) >= entries.size()) return pick;
  const std::u16string& text = entries[static_cast<size_t>(picked)];
  pick.identifier = list.IdentifierOf(text).value_or(u"");
  // English needs no table: without one every text is its default.
  if (!tableLoads(pick.identifier) && text != u"English") {
    pick.action = LanguagePick::Action::kRevert;
    pick.identifier.clear();
    return pick;
  }
  pick.action = LanguagePick::Action::kStore;
  return pick;
}

}  // namespace qtr
