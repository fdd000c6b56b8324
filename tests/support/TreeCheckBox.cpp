#include "support/TreeCheckBox.h"

namespace qtr::test {

bool FindCheckBoxPoint(HWND tree, HTREEITEM item, POINT* where) {
  RECT text{};
  if (!TreeView_GetItemRect(tree, item, &text, TRUE)) return false;
  // The check box stands left of the text, after the indent and any lines.
  TVHITTESTINFO hit{};
  hit.pt.y = (text.top + text.bottom) / 2;
  for (hit.pt.x = text.left - 1; hit.pt.x >= 0; --hit.pt.x) {
    hit.flags = 0;
    if (TreeView_HitTest(tree, &hit) == item && (hit.flags & TVHT_ONITEMSTATEICON) != 0) {
      *where = hit.pt;
      return true;
    }
  }
  return false;
}

}  // namespace qtr::test
