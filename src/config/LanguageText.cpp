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

}  // namespace qtr
