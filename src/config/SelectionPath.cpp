#include "config/SelectionPath.h"

namespace qtr {
namespace {

char16_t Fold(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SamePrefix(std::u16string_view path, std::u16string_view prefix) {
  if (prefix.size() > path.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Fold(path[i]) != Fold(prefix[i])) return false;
  return true;
}

}  // namespace

bool SamePath(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && SamePrefix(a, b);
}

bool IsBelow(std::u16string_view path, std::u16string_view folder) {
  if (folder.empty() || path.size() <= folder.size() || !SamePrefix(path, folder)) return false;
  return folder.back() == u'\\' || path[folder.size()] == u'\\';
}

bool IsSameOrBelow(std::u16string_view path, std::u16string_view folder) {
  return SamePath(path, folder) || IsBelow(path, folder);
}

std::vector<std::u16string> AncestorsOf(std::u16string_view path) {
  std::vector<std::u16string> ancestors;
  // A trailing backslash ends the path itself, not a folder above it.
  const size_t end = path.size() > 0 && path.back() == u'\\' ? path.size() - 1 : path.size();
  for (size_t i = 0; i < end; ++i) {
    if (path[i] != u'\\') continue;
    std::u16string folder(path.substr(0, i));
    // The leading backslashes of "\\server\share" name no folder.
    if (folder.find_first_not_of(u'\\') == std::u16string::npos) continue;
    if (folder.back() == u':') folder += u'\\';
    if (folder.size() < end) ancestors.push_back(std::move(folder));
  }
  return ancestors;
}

std::u16string FoldPath(std::u16string_view path) {
  std::u16string folded(path);
  for (char16_t& c : folded) c = Fold(c);
  return folded;
}

}  // namespace qtr
