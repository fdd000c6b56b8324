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

void NotifyTreeClick(HWND tree) {
  PostMessageW(tree, WM_NULL, 0, 0);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.hwnd == tree && message.message == WM_NULL) break;
    DispatchMessageW(&message);
  }
  NMHDR header{};
  header.hwndFrom = tree;
  header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tree));
  header.code = NM_CLICK;
  SendMessageW(GetParent(tree), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

}  // namespace qtr::test
