// How the shell shows an item named by its item ID list, such as the
// computer, which has no path: its display name and small icon.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include "trees/TreeItems.h"

namespace qtr {

// Sets item's text and image to the shell's display name and small icon of
// list; leaves them as they are when the shell cannot tell.
void TakeShellLook(PCIDLIST_ABSOLUTE list, NewTreeItem& item);

}  // namespace qtr
