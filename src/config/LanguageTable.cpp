#include "config/LanguageTable.h"

namespace qtr {

bool LanguageTable::Load(std::u16string_view path) {
  active_ = !path.empty() && doc_.Load(path);
  path_ = active_ ? std::u16string(path) : std::u16string();
  return active_;
}

std::u16string LanguageTable::Identifier() const {
  std::u16string_view name(path_);
  name = name.substr(name.find_last_of(u"\\/") + 1);
  if (name.size() > 4 && name.substr(name.size() - 4) == u".xml") name.remove_suffix(4);
  return std::u16string(name);
}

std::u16string LanguageTable::Text(std::u16string_view key) const {
  doc_.ResetPosition();
  if (!doc_.FindChildElement(key)) return {};
  return doc_.GetChildData();
}

std::u16string LanguageTable::TextForDisplay(std::u16string_view key,
                                             std::u16string_view englishDefault) const {
  if (!active_) return std::u16string(englishDefault);
  return Text(key);
}

LanguageTable& ActiveLanguageTable() {
  static LanguageTable table;
  return table;
}

std::u16string LanguageTablePath(std::u16string_view programFolder, std::u16string_view identifier) {
  // The identifier comes from init.xml; one that would name a file outside
  // the language folder names no table.
  if (identifier.find_first_of(u"\\/:") != std::u16string_view::npos) return {};
  std::u16string path(programFolder);
  path += kLanguageFolderName;
  path += u'\\';
  path += identifier;
  path += u".xml";
  return path;
}

std::u16string LanguageListPath(std::u16string_view programFolder) {
  std::u16string path(programFolder);
  path += kLanguageFolderName;
  path += u'\\';
  path += kLanguageListFileName;
  return path;
}

bool LanguageTableLoads(std::u16string_view programFolder, std::u16string_view identifier) {
  XmlDocument scratch;
  return scratch.Load(LanguageTablePath(programFolder, identifier));
}

bool ApplyLanguage(std::u16string_view programFolder, std::u16string_view identifier) {
  return ActiveLanguageTable().Load(LanguageTablePath(programFolder, identifier));
}

}  // namespace qtr
