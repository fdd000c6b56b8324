#include "widgets/ControlColours.h"

#include <algorithm>
#include <string>
#include "widgets/SelectedObject.h"
#include "widgets/WindowDc.h"

namespace qtr {

ControlColours::ControlColours(COLORREF text, COLORREF background)
    : text_(text), background_(background), brush_(CreateSolidBrush(background)) {}

INT_PTR ControlColours::Apply(HDC dc) const {
  SetTextColor(dc, text_);
  SetBkColor(dc, background_);
  return reinterpret_cast<INT_PTR>(brush_.Get());
}

INT_PTR ControlColours::Transparent(HDC dc, COLORREF text) {
  SetTextColor(dc, text);
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

void UpdateHorizontalExtent(HWND listBox) {
  int widest = 0;
  {
    WindowDc dc(listBox);
    if (!dc) return;
    SelectedObject font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(listBox, WM_GETFONT, 0, 0)));
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    std::wstring line;
    for (LRESULT i = 0; i < count; ++i) {
      const LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
      if (length <= 0) continue;
      line.assign(static_cast<size_t>(length) + 1, L'\0');
      SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
      SIZE size{};
      GetTextExtentPoint32W(dc.Get(), line.c_str(), static_cast<int>(length), &size);
      widest = std::max(widest, static_cast<int>(size.cx));
    }
  }
  // A little room so the last character is not under the border.
  SendMessageW(listBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
}

}  // namespace qtr
