#include "trees/DropRules.h"

#include "config/SelectionPath.h"
#include "platform/NumberText.h"
#include "platform/PathText.h"
#include "trees/FolderFilter.h"

namespace qtr {

uint32_t DropEffectFor(bool draggedIsDrive, uint32_t keyState) {
  if (draggedIsDrive || (keyState & kKeyAlt) != 0) return kDropLink;
  if ((keyState & kKeyControl) != 0) return kDropCopy;
  return kDropMove;
}

bool DropAllowed(std::u16string_view source, std::u16string_view destination, uint32_t effect) {
  if (source.empty() || destination.empty()) return false;
  // "C:\dir\" is the folder "C:\dir"; "C:\" keeps its backslash.
  source = WithoutTrailingBackslashes(source);
  destination = WithoutTrailingBackslashes(destination);
  if (effect == kDropLink) return true;
  if (IsSameOrBelow(destination, source)) return false;
  return !SamePath(ParentFolderOf(source), destination);
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
  std::u16string path = PathInFolder(folder, name);
  if (!exists(path)) return path;
  std::u16string_view stem = name;
  if (stem.size() >= 4) stem.remove_suffix(4);
  for (int n = 2; n <= 100; ++n) {
    const std::u16string numbered = std::u16string(stem) + u" (" + DigitsOf(n) + u").lnk";
    path = PathInFolder(folder, numbered);
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
