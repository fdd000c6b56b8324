#include "config/LanguageText.h"

namespace qtr {
namespace {

constexpr LanguageKey kKeys[] = {
#define QTR_LANGUAGE_KEY(key, english) {u"" #key, english},
#include "config/LanguageKeys.inc"
#undef QTR_LANGUAGE_KEY
};

}  // namespace

std::span<const LanguageKey> AllLanguageKeys() {
  return kKeys;
}

const LanguageKey& KeyOf(TextId id) {
  return kKeys[static_cast<size_t>(id)];
}

std::u16string DisplayText(const LanguageTable& table, TextId id) {
  const LanguageKey& key = KeyOf(id);
  return table.TextForDisplay(key.key, key.englishDefault);
}

std::u16string DisplayText(TextId id) {
  return DisplayText(ActiveLanguageTable(), id);
}

std::u16string FillText(std::u16string_view text, std::initializer_list<std::u16string_view> values) {
  std::u16string filled;
  const std::u16string_view* next = values.begin();
  for (size_t at = text.find(u"%s"); at != std::u16string_view::npos && next != values.end();
       at = text.find(u"%s")) {
    filled.append(text.substr(0, at)).append(*next++);
    text.remove_prefix(at + 2);
  }
  return filled.append(text);
}

}  // namespace qtr
