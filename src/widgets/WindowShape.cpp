#include "widgets/WindowShape.h"

#include <windowsx.h>

namespace qtr {

bool ApplyRoundedRegion(HWND window, int size) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  HRGN region = CreateRoundRectRgn(0, 0, r.right - r.left + 1, r.bottom - r.top + 1, size, size);
  if (region == nullptr) return false;
  // The window owns the region from here on.
  if (SetWindowRgn(window, region, TRUE) == 0) {
    DeleteObject(region);
    return false;
  }
  return true;
}

void RemoveTaskbarButton(HWND window) {
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  SetWindowLongPtrW(window, GWL_EXSTYLE,
                    (style & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW);
}

bool CaptionDrag::OnMessage(HWND window, UINT message, LPARAM l) {
  const int y = GET_Y_LPARAM(l);
  const bool inBand = y >= 0 && y < band_;
  switch (message) {
    case WM_LBUTTONDOWN: dragging_ = inBand; return false;
    case WM_MOUSEMOVE:
      hover_ = inBand;
      if (inBand && dragging_) {
        dragging_ = false;
        // The system moves the window as if its caption had been grabbed.
        ReleaseCapture();
        SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, l);
        return true;
      }
      return false;
    case WM_LBUTTONUP: dragging_ = false; return false;
    default: return false;
  }
}

}  // namespace qtr
