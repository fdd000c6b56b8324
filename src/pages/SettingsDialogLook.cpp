#include "pages/SettingsDialogLook.h"

#include "pages/SettingsSubPage.h"
#include "widgets/BandedSurface.h"

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
  PaintBandedSurface(dc, client, kSettingsBackground, kSettingsDialogBand);
}

}  // namespace qtr
