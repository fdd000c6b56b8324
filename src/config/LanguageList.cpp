#include "config/LanguageList.h"

namespace qtr {

bool LanguageList::Load(std::u16string_view path) {
  return doc_.Load(path);
}

std::vector<std::u16string> LanguageList::DisplayNames() const {
  std::vector<std::u16string> names;
  doc_.ResetPosition();
  while (doc_.FindChildElement()) names.push_back(doc_.GetChildAttribute(u"value"));
  if (names.empty()) names.push_back(u"English");
  return names;
}

std::optional<std::u16string> LanguageList::LastMatch(std::u16string_view match, std::u16string_view value,
                                                      std::u16string_view wanted) const {
  std::optional<std::u16string> found;
  doc_.ResetPosition();
  while (doc_.FindChildElement(u"Language")) {
    if (doc_.GetChildAttribute(match) == value) found = doc_.GetChildAttribute(wanted);
  }
  return found;
}

std::optional<std::u16string> LanguageList::IdentifierOf(std::u16string_view displayName) const {
  return LastMatch(u"value", displayName, u"LanguageID");
}

std::optional<std::u16string> LanguageList::DisplayNameOf(std::u16string_view identifier) const {
  return LastMatch(u"LanguageID", identifier, u"value");
}

LanguageList& InstalledLanguages() {
  static LanguageList list;
  return list;
}

}  // namespace qtr
