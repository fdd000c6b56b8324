#include "platform/PathText.h"

namespace qtr {

std::u16string JoinPath(std::u16string_view parent, std::u16string_view name) {
  std::u16string path(parent);
  if (path.empty() || path.back() != u'\\') path += u'\\';
  path += name;
  return path;
}

std::u16string PathInFolder(std::u16string_view folder, std::u16string_view name) {
  return folder.empty() ? std::u16string(name) : JoinPath(folder, name);
}

std::u16string ParentOf(std::u16string_view path) {
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, slash));
}

std::u16string_view NameOf(std::u16string_view path) {
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string_view FolderPartOf(std::u16string_view path) {
  const size_t slash = path.rfind(u'\\');
  return slash == std::u16string_view::npos ? std::u16string_view() : path.substr(0, slash + 1);
}

std::u16string ParentFolderOf(std::u16string_view path) {
  const size_t slash = path.rfind(u'\\', path.size() > 1 ? path.size() - 2 : 0);
  if (slash == std::u16string_view::npos) return {};
  return std::u16string(slash == 2 ? path.substr(0, 3) : path.substr(0, slash));
}

std::u16string_view WithoutTrailingBackslashes(std::u16string_view path) {
  while (path.size() > 3 && path.back() == u'\\') path.remove_suffix(1);
  return path;
}

std::u16string WithTrailingBackslash(std::u16string_view path) {
  std::u16string ended(path);
  if (!ended.empty() && ended.back() != u'\\') ended += u'\\';
  return ended;
}

}  // namespace qtr
