#include "widgets/PaintedDialog.h"

#include "widgets/OwnerDrawn.h"

namespace qtr {

void PaintedDialog::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  RECT client;
  GetClientRect(Handle(), &client);
  if (surface_.Prepare(dc, client.right, client.bottom)) {
    PaintSurface(surface_.Dc(), client);
    surface_.CopyTo(dc, 0, 0, client.right, client.bottom);
  }
  EndPaint(Handle(), &ps);
  // The owner-drawn buttons draw themselves again over the new painting.
  EnumChildWindows(
      Handle(),
      [](HWND child, LPARAM) -> BOOL {
        if (OwnerDrawn::From(child) != nullptr) InvalidateRect(child, nullptr, FALSE);
        return TRUE;
      },
      0);
}

bool PaintedDialog::OnMessage(UINT message, WPARAM w, LPARAM, INT_PTR& result) {
  switch (message) {
    case WM_PAINT:
      Paint();
      result = TRUE;
      return true;
    case WM_ERASEBKGND:
      result = TRUE;  // everything is drawn in WM_PAINT
      return true;
    case WM_CTLCOLORSTATIC: result = ColourStatic(reinterpret_cast<HDC>(w)); return true;
    default: return false;
  }
}

}  // namespace qtr
