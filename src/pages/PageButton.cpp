#include "pages/PageButton.h"

#include "platform/Handles.h"
#include "widgets/OffscreenSurface.h"
#include "widgets/SelectedObject.h"

namespace qtr {

PageButton::~PageButton() {
  if (hwnd_ != nullptr) Unregister(hwnd_);
}

bool PageButton::Attach(HWND button, UINT picture, const OffscreenSurface* background) {
  if (button == nullptr) return false;
  hwnd_ = button;
  background_ = background;
  picture_.Load(picture);
  const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  SetWindowLongPtrW(button, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
  Register(button);
  InvalidateRect(button, nullptr, TRUE);
  return true;
}

void PageButton::SetSelected(bool selected) {
  selected_ = selected;
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void PageButton::Draw(const DRAWITEMSTRUCT& item) {
  const RECT& r = item.rcItem;
  const int width = r.right - r.left, height = r.bottom - r.top;
  OffscreenSurface buffer;
  if (!buffer.Prepare(item.hDC, width, height)) return;
  HDC dc = buffer.Dc();
  DrawSurfaceBehind(dc, r, hwnd_, background_);
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  if (selected_ || pressed) {
    // The current page's button stands out as a lighter tile.
    GdiObject<HBRUSH> tile(CreateSolidBrush(RGB(98, 160, 214)));
    RECT face = {0, 0, width, height};
    FillRect(dc, &face, tile.Get());
  }
  // The picture in the upper part, the text in two lines of the lower 26 pixels.
  const int pictureHeight = height - 26;
  const int side = pictureHeight < width ? pictureHeight : width;
  picture_.Draw(dc, (width - side) / 2, 1, side, side);
  wchar_t text[128];
  const int length = GetWindowTextW(hwnd_, text, 128);
  if (length > 0) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(hwnd_) ? RGB(255, 255, 255) : RGB(170, 190, 210));
    SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
    RECT textRect = {0, pictureHeight, width, height};
    DrawTextW(dc, text, length, &textRect, DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS);
  }
  buffer.CopyTo(item.hDC, r.left, r.top, width, height);
}

}  // namespace qtr
