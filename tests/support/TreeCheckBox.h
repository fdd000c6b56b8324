// A person's click on a tree-view item's check box: where it lands, and the
// notice the control sends its dialog about it.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace qtr::test {

// The point, in the tree's client coordinates, of item's check box; false
// when the item is not shown or has none. The item must be scrolled into view.
bool FindCheckBoxPoint(HWND tree, HTREEITEM item, POINT* where);

// Lets the queue catch up with a pointer just moved over the tree, then sends
// the tree's dialog the click notice, which reads the place from the cursor.
void NotifyTreeClick(HWND tree);

// Moves the pointer to where (the tree's client coordinates), waits until it
// stays there, then sends the click notice.
void ClickTreeAt(HWND tree, POINT where);

}  // namespace qtr::test
