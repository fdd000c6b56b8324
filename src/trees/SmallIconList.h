// The small-icon list every tree shows its pictures from: the shell's system
// image list (small icons) with the program's icon and the USB-disk icon
// appended, made once per process. The list belongs to the shell; nobody
// destroys it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace qtr {

HIMAGELIST SharedSmallIcons();
// Whether shared folders carry the share overlay: only before version 6 of
// the system, which marks sharing otherwise.
bool ShowsShareOverlay();
// The index of the program's icon in it, or -1.
int ProgramIconIndex();
// The index of the USB-disk icon in it (the whole-disk items), or -1.
int UsbDiskIconIndex();

// The check-state pictures 1 to 5 (index 0 is empty), one list per process.
HIMAGELIST CheckStatePictures();

}  // namespace qtr
