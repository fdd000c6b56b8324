// The program's main window: a fixed-size dialog that hosts the pages.
#pragma once
#include "widgets/Dialog.h"
#include "widgets/Handles.h"

namespace qtr {

class MainWindow : public Dialog {
 public:
  MainWindow();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  GdiObject<HFONT> titleFont_;
};

}  // namespace qtr
