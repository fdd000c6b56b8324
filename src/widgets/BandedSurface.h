// The face of the program's small dialogs: a body colour, a blue title
// band across the top and a grey frame.
#pragma once
#include <windows.h>

namespace qtr {

inline constexpr COLORREF kTitleBandColour = RGB(47, 120, 184);

void PaintBandedSurface(HDC dc, const RECT& client, COLORREF body, int bandHeight);

}  // namespace qtr
