// Where a person clicks to tick a tree-view item: on its check box.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace qtr::test {

// The point, in the tree's client coordinates, of item's check box; false
// when the item is not shown or has none. The item must be scrolled into view.
bool FindCheckBoxPoint(HWND tree, HTREEITEM item, POINT* where);

}  // namespace qtr::test
