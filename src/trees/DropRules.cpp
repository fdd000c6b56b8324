#include "trees/DropRules.h"

#include "config/SelectionPath.h"
#include "trees/FolderFilter.h"

namespace qtr {
namespace {

std::u16string_view TrimmedFolder(std::u16string_view path) {
  // "C:\" keeps its backslash; "C:\dir\" loses it.
  while (path.size() > 3 && path.back() == u'\\') path.remove_suffix(1);
  return path;
}

std::u16string_view ParentOf(std::u16string_view path) {
  path = TrimmedFolder(path);
  const size_t slash = path.rfind(u'\\');
  if (slash == std::u16string_view::npos) return {};
  return slash == 2 ? path.substr(0, 3) : path.substr(0, slash);
}

}  // namespace

uint32_t DropEffectFor(bool draggedIsDrive, uint32_t keyState) {
  if (draggedIsDrive || (keyState & kKeyAlt) != 0) return kDropLink;
  if ((keyState & kKeyControl) != 0) return kDropCopy;
  return kDropMove;
}

bool DropAllowed(std::u16string_view source, std::u16string_view destination, uint32_t effect) {
  if (source.empty() || destination.empty()) return false;
  source = TrimmedFolder(source);
  destination = TrimmedFolder(destination);
  if (effect == kDropLink) return true;
  if (IsSameOrBelow(destination, source)) return false;
  return !SamePath(ParentOf(source), destination);
}

std::u16string ShortcutFileName(std::u16string_view itemText, bool isDrive) {
  std::u16string name;
  if (isDrive) {
    const size_t colon = itemText.rfind(u':');
    for (char16_t c : itemText.substr(0, colon)) {
      if (c != u':') name.push_back(c);
    }
    name.push_back(u')');
  } else {
    name.assign(itemText);
  }
  for (char16_t& c : name) {
    if (c < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) c = u'_';
  }
  return name + u".lnk";
}

std::u16string FreeShortcutPath(std::u16string_view folder, std::u16string_view name,
                                const std::function<bool(const std::u16string&)>& exists) {
  std::u16string path = JoinTreePath(folder, name);
  if (!exists(path)) return path;
  std::u16string_view stem = name;
  if (stem.size() >= 4) stem.remove_suffix(4);
  for (int n = 2; n <= 100; ++n) {
    std::u16string numbered(stem);
    numbered += u" (";
    for (char c : std::to_string(n)) numbered.push_back(static_cast<char16_t>(c));
    numbered += u").lnk";
    path = JoinTreePath(folder, numbered);
    if (!exists(path)) return path;
  }
  return {};
}

bool HoverTimer::Over(TreeItem item, uint32_t now) {
  if (!started_ || item != item_) {
    started_ = true;
    item_ = item;
    since_ = now;
    return false;
  }
  return item != kNoItem && now - since_ >= kExpandAfterMs;
}

ScrollStep AutoScrollFor(int x, int y, int width, int height) {
  constexpr int kMargin = 10;
  ScrollStep step;
  if (y >= height - kMargin)
    step.vertical = 1;
  else if (y < kMargin)
    step.vertical = -1;
  if (x < kMargin)
    step.horizontal = -1;
  else if (x >= width - kMargin)
    step.horizontal = 1;
  return step;
}

}  // namespace qtr
