// A page button of the page container: its picture with its text beneath,
// drawn over the container's surface; the button of the current page is
// drawn in its selected look.
#pragma once
#include <windows.h>

#include "widgets/OwnerDrawn.h"
#include "widgets/Picture.h"

namespace qtr {

class OffscreenSurface;

class PageButton : public OwnerDrawn {
 public:
  PageButton() = default;
  ~PageButton() override;
  PageButton(const PageButton&) = delete;
  PageButton& operator=(const PageButton&) = delete;

  bool Attach(HWND button, UINT picture, const OffscreenSurface* background);
  void SetSelected(bool selected);
  bool Selected() const { return selected_; }
  HWND Handle() const { return hwnd_; }
  void Draw(const DRAWITEMSTRUCT& item) override;

 private:
  HWND hwnd_ = nullptr;
  Picture picture_;
  const OffscreenSurface* background_ = nullptr;
  bool selected_ = false;
};

}  // namespace qtr
