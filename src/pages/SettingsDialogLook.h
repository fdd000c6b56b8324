// The look the hotkey and time dialogs share: a blue title band over the
// page colour, a grey frame, centred over the window that owns them.
#pragma once
#include <windows.h>

namespace qtr {

inline constexpr int kSettingsDialogBand = 26;

void PaintSettingsDialog(HDC dc, const RECT& client);
void CentreOverOwner(HWND dialog);

}  // namespace qtr
