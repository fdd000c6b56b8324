// A language table: the translated texts of the screens, one element per
// language key, loaded from <program folder>Language\<identifier>.xml. While
// no table is active every text is its English default.
#pragma once
#include <string>
#include <string_view>

#include "xml/XmlDocument.h"

namespace qtr {

inline constexpr std::u16string_view kLanguageFolderName = u"Language";
inline constexpr std::u16string_view kLanguageListFileName = u"Language.xml";

class LanguageTable {
 public:
  // The table becomes active when the file loads; otherwise none is.
  bool Load(std::u16string_view path);
  bool IsActive() const { return active_; }
  // The active table's identifier (its file name without ".xml"); empty
  // while no table is active.
  std::u16string Identifier() const;

  // The table's text of a key; empty when the key is absent.
  std::u16string Text(std::u16string_view key) const;

  // What a screen shows: the default while no table is active, otherwise the
  // table's text, even an empty one (there is no per-key fallback, so a screen
  // shows either all defaults or all table texts).
  std::u16string TextForDisplay(std::u16string_view key, std::u16string_view englishDefault) const;

 private:
  // Reading moves the document's cursor; texts are only asked for on the
  // user-interface thread.
  mutable XmlDocument doc_;
  bool active_ = false;
  std::u16string path_;
};

// The one table the screens use, for the life of the process. Loaded and
// read on the user-interface thread only.
LanguageTable& ActiveLanguageTable();

// <program folder>Language\<identifier>.xml
std::u16string LanguageTablePath(std::u16string_view programFolder, std::u16string_view identifier);
// <program folder>Language\Language.xml
std::u16string LanguageListPath(std::u16string_view programFolder);

// Whether the table of an identifier loads, tried in a scratch document so
// that the active table stays as it is.
bool LanguageTableLoads(std::u16string_view programFolder, std::u16string_view identifier);

// Makes the identifier's table the active one (the screens then set their
// texts again). False, and every text at its default, when it does not load.
bool ApplyLanguage(std::u16string_view programFolder, std::u16string_view identifier);

}  // namespace qtr
