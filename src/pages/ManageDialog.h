// CMangeDialog: the File Management page (slot 2 of the page container).
// Its two store trees come with a later version; until then the page shows
// its title.
#pragma once
#include "widgets/PaintedDialog.h"

namespace qtr {

class CMangeDialog : public PaintedDialog {
 public:
  static constexpr int kWidth = 542, kHeight = 284;
  CMangeDialog();
  // Sets the title in the active language.
  void ShowTexts();

 protected:
  bool OnInit() override;
  void PaintSurface(HDC dc, const RECT& client) override;
};

}  // namespace qtr
