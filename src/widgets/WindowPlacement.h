// Where the program's windows open: centred over the window that opened
// them while it shows, otherwise over the screen's work area (the screen
// without the taskbar).
#pragma once
#include <windows.h>

namespace qtr {

RECT WorkArea();
// The rectangle of owner while it is visible; the work area otherwise.
RECT OwnerOrWorkArea(HWND owner);
SIZE WindowSize(HWND window);
// The top-left corner that centres a window of this size over area.
POINT CentredIn(const RECT& area, SIZE size);
// Moves window, at its present size and place in the z-order, to the
// middle of area.
void CentreOver(HWND window, const RECT& area);
// CentreOver the window's owner, or the work area.
void CentreOverOwner(HWND window);

}  // namespace qtr
