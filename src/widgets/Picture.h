// A PNG picture from the program's resources (type "PNG"), drawn with GDI+
// so that its transparent parts show what lies beneath. Needs a live GdiplusSession.
#pragma once
#include <windows.h>

#include <memory>

namespace Gdiplus {
class Bitmap;
}

namespace qtr {

class Picture {
 public:
  Picture();
  ~Picture();
  Picture(Picture&&) noexcept;
  Picture& operator=(Picture&&) noexcept;

  // False (and nothing loaded) when the resource is missing or not a picture.
  bool Load(UINT resourceId, HMODULE module = nullptr);
  bool Loaded() const { return bitmap_ != nullptr; }
  int Width() const;
  int Height() const;
  // Draws the picture scaled into the rectangle; nothing when it is not loaded.
  void Draw(HDC dc, int x, int y, int width, int height) const;
  void Draw(HDC dc, int x, int y) const { Draw(dc, x, y, Width(), Height()); }

 private:
  std::unique_ptr<Gdiplus::Bitmap> bitmap_;
};

}  // namespace qtr
