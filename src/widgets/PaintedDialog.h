// A dialog that paints its whole client area itself, in one step from an
// off-screen surface (no flicker); its picture buttons take their
// background from that surface, so they draw transparently over it.
#pragma once
#include "widgets/ControlColours.h"
#include "widgets/Dialog.h"
#include "widgets/OffscreenSurface.h"

namespace qtr {

class PaintedDialog : public Dialog {
 public:
  using Dialog::Dialog;
  const OffscreenSurface* Surface() const { return &surface_; }

 protected:
  // Draws the window onto the surface's device context.
  virtual void PaintSurface(HDC dc, const RECT& client) = 0;
  // How static texts are drawn over the painting: transparent by default.
  virtual INT_PTR ColourStatic(HDC dc) { return ControlColours::Transparent(dc, RGB(20, 30, 40)); }
  // Handles painting, background erasing and static colours; a dialog that
  // handles more messages passes the others on to this.
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;

 private:
  void Paint();

  OffscreenSurface surface_;
};

}  // namespace qtr
