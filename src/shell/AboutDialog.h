// The About box: the program's name, version and purpose, in the look every
// window of the program has (borderless, rounded, dragged by its top band,
// closed by the picture close button or OK; Enter and Esc do nothing).
#pragma once
#include "platform/Handles.h"
#include "widgets/PaintedDialog.h"
#include "widgets/PictureButton.h"
#include "widgets/WindowShape.h"

namespace qtr {

class CAboutDlg : public PaintedDialog {
 public:
  static constexpr int kWidth = 400, kHeight = 170;

  CAboutDlg();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  void PaintSurface(HDC dc, const RECT& client) override;

 private:
  GdiObject<HFONT> titleFont_;
  PictureButton closeButton_, okButton_;
  CaptionDrag captionDrag_{30};
};

}  // namespace qtr
