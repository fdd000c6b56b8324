// The texts of the screens by identifier: each TextId is one language key
// with its English default (listed in LanguageKeys.inc), so code can only
// ask for a key that the shipped tables are tested to hold.
#pragma once
#include <initializer_list>
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

// text with each "%s" in turn replaced by the next of values; a table text
// with fewer "%s" shows fewer values, one with more keeps the rest as "%s".
std::u16string FillText(std::u16string_view text, std::initializer_list<std::u16string_view> values);

}  // namespace qtr
