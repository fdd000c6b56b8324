#include "pages/SettingsDialogLook.h"

#include "pages/SettingsSubPage.h"
#include "platform/Handles.h"

namespace qtr {

void PlaceControls(HWND dialog, std::span<const ControlPlace> places, HFONT font) {
  for (const ControlPlace& place : places) {
    HWND control = GetDlgItem(dialog, place.id);
    if (control == nullptr) continue;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(control, nullptr, place.x, place.y, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HFONT CreateSettingsFont() {
  return CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

void PaintSettingsDialog(HDC dc, const RECT& client) {
  GdiObject<HBRUSH> body(CreateSolidBrush(kSettingsBackground));
  GdiObject<HBRUSH> band(CreateSolidBrush(RGB(47, 120, 184)));
  FillRect(dc, &client, body.Get());
  RECT top = {0, 0, client.right, kSettingsDialogBand};
  FillRect(dc, &top, band.Get());
  FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

void CentreOverOwner(HWND dialog) {
  RECT over;
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner == nullptr || !IsWindowVisible(owner) || !GetWindowRect(owner, &over))
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
  RECT self;
  GetWindowRect(dialog, &self);
  const int width = self.right - self.left, height = self.bottom - self.top;
  SetWindowPos(dialog, nullptr, (over.left + over.right - width) / 2, (over.top + over.bottom - height) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace qtr
