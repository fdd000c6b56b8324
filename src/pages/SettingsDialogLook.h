// The look the hotkey and time dialogs share: a blue title band over the
// page colour, a grey frame, centred over the window that owns them.
#pragma once
#include <windows.h>

#include <span>

namespace qtr {

inline constexpr int kSettingsDialogBand = 26;

// Where a control goes, in pixels of its dialog's client area.
struct ControlPlace {
  int id;
  int x, y, width, height;
};

// The settings windows place their controls in pixels rather than in
// dialog units, so that they fit their fixed sizes whatever the dialog
// font measures; every control gets font.
void PlaceControls(HWND dialog, std::span<const ControlPlace> places, HFONT font);

// The 12-pixel font of the settings windows; the system links Chinese to it.
HFONT CreateSettingsFont();

void PaintSettingsDialog(HDC dc, const RECT& client);

}  // namespace qtr
