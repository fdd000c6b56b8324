#include "widgets/BandedSurface.h"

#include "platform/Handles.h"

namespace qtr {

void PaintBandedSurface(HDC dc, const RECT& client, COLORREF body, int bandHeight) {
  GdiObject<HBRUSH> bodyBrush(CreateSolidBrush(body));
  GdiObject<HBRUSH> band(CreateSolidBrush(kTitleBandColour));
  FillRect(dc, &client, bodyBrush.Get());
  RECT top = {0, 0, client.right, bandHeight};
  FillRect(dc, &top, band.Get());
  FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

}  // namespace qtr
