#include "trees/ShellItemLook.h"

#include <shellapi.h>

#include "platform/WideText.h"

namespace qtr {

void TakeShellLook(PCIDLIST_ABSOLUTE list, NewTreeItem& item) {
  SHFILEINFOW shell{};
  if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &shell, sizeof shell,
                     SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON) == 0)
    return;
  item.text = AsU16string(shell.szDisplayName);
  item.image = shell.iIcon;
}

}  // namespace qtr
