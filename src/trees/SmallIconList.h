// The small-icon list every tree shows its pictures from: the shell's system
// image list (small icons) with the program's icon appended, made once per
// process. The list belongs to the shell; nobody destroys it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace qtr {

HIMAGELIST SharedSmallIcons();
// The index of the program's icon in it (the whole-disk items), or -1.
int ProgramIconIndex();

// The check-state pictures 1 to 5 (index 0 is empty), one list per process.
HIMAGELIST CheckStatePictures();

}  // namespace qtr
