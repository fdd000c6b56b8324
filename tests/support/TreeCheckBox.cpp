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

void ClickTreeAt(HWND tree, POINT where) {
  POINT screen = where;
  ClientToScreen(tree, &screen);
  // The pointer settles first: a warp's move can come back late from X and
  // put the pointer where an earlier press left it.
  for (int settled = 0, i = 0; settled < 3 && i < 100; ++i) {
    POINT now{};
    GetCursorPos(&now);
    if (now.x == screen.x && now.y == screen.y) {
      ++settled;
    } else {
      settled = 0;
      SetCursorPos(screen.x, screen.y);
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(5);
  }
  NotifyTreeClick(tree);
}

}  // namespace qtr::test
