// A tooltip window for the controls of one window. The tooltip watches the
// controls' mouse messages itself (TTF_SUBCLASS), so no relaying is needed.
#pragma once
#include <windows.h>

#include <string>

#include "platform/Handles.h"

namespace qtr {

class Tooltip {
 public:
  bool Create(HWND owner);
  HWND Handle() const { return window_.Get(); }
  // Adds the control, or changes its text when it is already there.
  bool SetText(HWND control, const std::wstring& text);
  std::wstring Text(HWND control) const;

 private:
  HWND owner_ = nullptr;
  UniqueWindow window_;
};

}  // namespace qtr
