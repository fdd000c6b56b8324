// A control that draws itself when its parent dialog receives WM_DRAWITEM.
// The control registers itself on its window; the dialog base finds it there.
#pragma once
#include <windows.h>

namespace qtr {

class OwnerDrawn {
 public:
  virtual ~OwnerDrawn() = default;
  virtual void Draw(const DRAWITEMSTRUCT& item) = 0;

  static OwnerDrawn* From(HWND control);

 protected:
  void Register(HWND control);
  static void Unregister(HWND control);
};

}  // namespace qtr
