// The decisions of a drag between the File Management page's trees: which
// effect a drop has, where it may land, when a hovered folder opens, when the
// tree scrolls, and what a shortcut is called.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "trees/TreeItems.h"

namespace qtr {

enum DropEffectBits : uint32_t { kDropNone = 0, kDropCopy = 1, kDropMove = 2, kDropLink = 4 };
// The key-state bits a drop target is told (MK_CONTROL, MK_ALT).
inline constexpr uint32_t kKeyControl = 0x8;
inline constexpr uint32_t kKeyAlt = 0x20;

// A whole drive, or Alt, makes a shortcut; Ctrl copies; otherwise it moves.
uint32_t DropEffectFor(bool draggedIsDrive, uint32_t keyState);

// Whether source may be dropped with effect into the folder destination:
// never without a destination, never into itself or a folder below it, and
// a move or copy never into the folder it already stands in (the shell would
// copy it onto itself).
bool DropAllowed(std::u16string_view source, std::u16string_view destination, uint32_t effect);

// The shortcut's file name: for a drive its label up to the last colon with
// every colon removed, then ")"; otherwise the dragged item's label; ".lnk"
// after both. Characters no file name may hold become "_".
std::u16string ShortcutFileName(std::u16string_view itemText, bool isDrive);
// The shortcut's path in folder: name, or "name (2).lnk" and so on while
// exists says the path is taken, so that no file is overwritten. Empty when
// a hundred names are taken.
std::u16string FreeShortcutPath(std::u16string_view folder, std::u16string_view name,
                                const std::function<bool(const std::u16string&)>& exists);

// Opens a folder that stays under the cursor long enough during a drag.
class HoverTimer {
 public:
  static constexpr uint32_t kExpandAfterMs = 800;
  // One drag-over at tick now over item; true when item is to be expanded.
  bool Over(TreeItem item, uint32_t now);
  void Reset() { started_ = false; }

 private:
  bool started_ = false;
  TreeItem item_ = kNoItem;
  uint32_t since_ = 0;
};

// Which way a tree scrolls with the cursor at (x, y) in a client area of
// width by height: within 10 pixels of an edge one line or column that way.
struct ScrollStep {
  int vertical = 0;    // -1 up, 1 down
  int horizontal = 0;  // -1 left, 1 right
};
ScrollStep AutoScrollFor(int x, int y, int width, int height);

}  // namespace qtr
