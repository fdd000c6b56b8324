#include "support/TreeCheckBox.h"

#include "support/MessagePump.h"

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

namespace {

// Posts a marker to the tree and lets the queue catch up with it; the pointer
// position the queue stamped on it, which is what the dialog's
// GetMessagePos then reads.
POINT CatchUp(HWND tree) {
  PostMessageW(tree, WM_NULL, 0, 0);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.hwnd == tree && message.message == WM_NULL) return message.pt;
    DispatchMessageW(&message);
  }
  return POINT{-1, -1};
}

void SendClickNotice(HWND tree) {
  NMHDR header{};
  header.hwndFrom = tree;
  header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tree));
  header.code = NM_CLICK;
  SendMessageW(GetParent(tree), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

// Warps the pointer to screen until it reads back there three times running.
void SettlePointer(POINT screen) {
  for (int settled = 0, i = 0; settled < 3 && i < 100; ++i) {
    POINT now{};
    GetCursorPos(&now);
    if (now.x == screen.x && now.y == screen.y) {
      ++settled;
    } else {
      settled = 0;
      SetCursorPos(screen.x, screen.y);
    }
    PumpMessages();
    Sleep(5);
  }
}

}  // namespace

void NotifyTreeClick(HWND tree) {
  CatchUp(tree);
  SendClickNotice(tree);
}

void ClickTreeAt(HWND tree, POINT where) {
  POINT screen = where;
  ClientToScreen(tree, &screen);
  // The pointer settles first: a warp's move can come back late from X and
  // put the pointer where an earlier press left it. On a loaded machine it
  // can still be stamped elsewhere on the queue's next message, so the
  // warp is repeated until the queue itself has the pointer in place.
  for (int attempt = 0; attempt < 20; ++attempt) {
    SettlePointer(screen);
    const POINT stamped = CatchUp(tree);
    if (stamped.x == screen.x && stamped.y == screen.y) break;
  }
  SendClickNotice(tree);
}

}  // namespace qtr::test
