// Text and background colours of edit, list and combo boxes and of static
// texts: the parent answers WM_CTLCOLOR* with Apply.
#pragma once
#include <windows.h>

#include "platform/Handles.h"

namespace qtr {

class ControlColours {
 public:
  ControlColours(COLORREF text, COLORREF background);
  // Sets the colours on the control's device context; returns the brush to hand back.
  INT_PTR Apply(HDC dc) const;
  // For statics over a painted parent: the text only, no background.
  static INT_PTR Transparent(HDC dc, COLORREF text);

 private:
  COLORREF text_, background_;
  GdiObject<HBRUSH> brush_;
};

// Makes a list box scroll sideways far enough for its longest line.
void UpdateHorizontalExtent(HWND listBox);

}  // namespace qtr
