// The texts of the screens by identifier: each TextId is one language key
// with its English default (listed in LanguageKeys.inc), so code can only
// ask for a key that the shipped tables are tested to hold.
#pragma once
#include <span>
#include <string>
#include <string_view>

#include "config/LanguageTable.h"

namespace qtr {

enum class TextId {
#define QTR_LANGUAGE_KEY(key, english) key,
#include "config/LanguageKeys.inc"
#undef QTR_LANGUAGE_KEY
};

struct LanguageKey {
  std::u16string_view key;
  std::u16string_view englishDefault;
};

// Every key, in the order of LanguageKeys.inc.
std::span<const LanguageKey> AllLanguageKeys();
const LanguageKey& KeyOf(TextId id);

// The text a screen shows, from the given table or the active one.
std::u16string DisplayText(const LanguageTable& table, TextId id);
std::u16string DisplayText(TextId id);

}  // namespace qtr
