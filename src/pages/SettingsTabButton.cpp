#include "pages/SettingsTabButton.h"

#include "platform/Handles.h"
#include "widgets/SelectedObject.h"

namespace qtr {

SettingsTabButton::~SettingsTabButton() {
  if (hwnd_ != nullptr) Unregister(hwnd_);
}

bool SettingsTabButton::Attach(HWND button) {
  if (button == nullptr) return false;
  hwnd_ = button;
  Register(button);
  return true;
}

void SettingsTabButton::SetSelected(bool selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void SettingsTabButton::Draw(const DRAWITEMSTRUCT& item) {
  const RECT& r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const COLORREF fill = selected_ ? RGB(47, 120, 184) : pressed ? RGB(200, 216, 232) : RGB(222, 232, 242);
  GdiObject<HBRUSH> brush(CreateSolidBrush(fill));
  FillRect(item.hDC, &r, brush.Get());
  FrameRect(item.hDC, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  wchar_t text[128];
  const int length = GetWindowTextW(hwnd_, text, 128);
  if (length <= 0) return;
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, selected_ ? RGB(255, 255, 255) : RGB(20, 30, 40));
  SelectedObject font(item.hDC, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
  RECT textRect = r;
  DrawTextW(item.hDC, text, length, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

}  // namespace qtr
