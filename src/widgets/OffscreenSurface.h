// A memory drawing surface the size of a window: a window paints into it and
// copies it out in one step (no flicker), and its child buttons take their
// background from it so they can draw transparently.
#pragma once
#include <windows.h>

#include "platform/Handles.h"

namespace qtr {

class OffscreenSurface {
 public:
  OffscreenSurface() = default;
  ~OffscreenSurface();
  OffscreenSurface(const OffscreenSurface&) = delete;
  OffscreenSurface& operator=(const OffscreenSurface&) = delete;

  // Makes the surface compatible with reference and at least width x height; false when GDI refuses.
  bool Prepare(HDC reference, int width, int height);
  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void CopyTo(HDC target, int x, int y, int width, int height, int sourceX = 0, int sourceY = 0) const;

 private:
  void Free();

  HDC dc_ = nullptr;
  GdiObject<HBITMAP> bitmap_;
  HGDIOBJ previous_ = nullptr;
  int width_ = 0, height_ = 0;
};

// Fills item (the rectangle of dc a child button draws in) with what
// background shows behind the child, so the button looks transparent; with
// the button face when there is no surface to take it from.
void DrawSurfaceBehind(HDC dc, const RECT& item, HWND child, const OffscreenSurface* background);

}  // namespace qtr
