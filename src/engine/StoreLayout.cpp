#include "engine/StoreLayout.h"

#include <algorithm>

#include "engine/StoreVersions.h"
#include "platform/CaseFold.h"

namespace qtr {

std::u16string StoreRootOf(std::u16string_view targetDrive) {
  return std::u16string(targetDrive.substr(0, 2)) + u"\\" + std::u16string(kStoreFolder);
}

std::u16string MapToStored(std::u16string_view storeRoot, std::u16string_view source) {
  std::u16string rest(source);
  if (const size_t colon = rest.find(u':'); colon != std::u16string::npos) rest.erase(colon, 1);
  return std::u16string(storeRoot) + u"\\" + rest;
}

std::u16string MapToSource(std::u16string_view stored) {
  // A previous version goes back where its stored file's source was.
  if (const std::u16string current = CurrentPathOfVersion(stored); !current.empty()) return MapToSource(current);
  const size_t rootSize = 3 + kStoreFolder.size();
  if (stored.size() < rootSize + 2 || !IsStoreRoot(stored.substr(0, rootSize)) || stored[rootSize] != u'\\')
    return {};
  std::u16string rest(stored.substr(rootSize + 1));
  const char16_t drive = static_cast<char16_t>(rest[0] | 0x20);
  if (drive < u'a' || drive > u'z' || (rest.size() > 1 && rest[1] != u'\\')) return {};
  rest.insert(1, 1, u':');
  return rest;
}

bool IsStoreRoot(std::u16string_view path) {
  return path.size() == 3 + kStoreFolder.size() && path[1] == u':' && path[2] == u'\\' &&
         EndsWithNoCase(path, kStoreFolder);
}

std::u16string Lowercase(std::u16string_view text) {
  std::u16string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), FoldCase);
  return lower;
}

bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix) {
  return text.size() >= suffix.size() && Lowercase(text.substr(text.size() - suffix.size())) == Lowercase(suffix);
}

std::u16string PartialFolderOf(std::u16string_view storeRoot) { return JoinPath(storeRoot, kPartialFolder); }

bool IsInStoreRoot(std::u16string_view path) {
  const std::u16string parent = ParentOf(path);
  return parent.size() == 2 + 1 + kStoreFolder.size() && parent[1] == u':' && EndsWithNoCase(parent, kStoreFolder);
}

bool IsPartialFolder(std::u16string_view path) {
  path = WithoutTrailingBackslashes(path);
  const std::u16string parent = ParentOf(path);
  return Lowercase(NameOf(path)) == Lowercase(kPartialFolder) && parent.size() == 2 + 1 + kStoreFolder.size() &&
         parent[1] == u':' && EndsWithNoCase(parent, kStoreFolder);
}

}  // namespace qtr
