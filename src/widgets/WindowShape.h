// The look every window of the program shares: borderless with rounded
// corners, no taskbar button where the program lives in the tray, and the
// top band of the window used as its caption for dragging.
#pragma once
#include <windows.h>

namespace qtr {

// A rounded-rectangle region over the whole window, corner ellipse size x size.
bool ApplyRoundedRegion(HWND window, int size = 7);

// A tool window has no taskbar button.
void RemoveTaskbarButton(HWND window);

// Dragging by the top band: feed it the mouse messages of the window.
class CaptionDrag {
 public:
  explicit CaptionDrag(int bandHeight) : band_(bandHeight) {}
  // Returns true when it started a move of the window.
  bool OnMessage(HWND window, UINT message, LPARAM l);
  bool Hovering() const { return hover_; }

 private:
  int band_;
  bool dragging_ = false;
  bool hover_ = false;
};

}  // namespace qtr
