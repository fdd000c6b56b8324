#include "widgets/OffscreenSurface.h"

namespace qtr {

OffscreenSurface::~OffscreenSurface() {
  Free();
}

void OffscreenSurface::Free() {
  if (dc_ != nullptr) {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    dc_ = nullptr;
  }
  bitmap_.Reset();
  width_ = height_ = 0;
}

bool OffscreenSurface::Prepare(HDC reference, int width, int height) {
  if (dc_ != nullptr && width <= width_ && height <= height_) return true;
  Free();
  if (width <= 0 || height <= 0) return false;
  dc_ = CreateCompatibleDC(reference);
  if (dc_ == nullptr) return false;
  bitmap_.Reset(CreateCompatibleBitmap(reference, width, height));
  if (!bitmap_) {
    DeleteDC(dc_);
    dc_ = nullptr;
    return false;
  }
  previous_ = SelectObject(dc_, bitmap_.Get());
  width_ = width;
  height_ = height;
  return true;
}

void OffscreenSurface::CopyTo(HDC target, int x, int y, int width, int height, int sourceX,
                              int sourceY) const {
  if (dc_ != nullptr) BitBlt(target, x, y, width, height, dc_, sourceX, sourceY, SRCCOPY);
}

void DrawSurfaceBehind(HDC dc, const RECT& item, HWND child, const OffscreenSurface* background) {
  if (background != nullptr && background->Dc() != nullptr) {
    POINT origin{0, 0};
    MapWindowPoints(child, GetParent(child), &origin, 1);
    BitBlt(dc, 0, 0, item.right - item.left, item.bottom - item.top, background->Dc(), origin.x, origin.y,
           SRCCOPY);
  } else {
    FillRect(dc, &item, GetSysColorBrush(COLOR_BTNFACE));
  }
}

}  // namespace qtr
