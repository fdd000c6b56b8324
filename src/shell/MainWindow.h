// The program's main window: a borderless, fixed-size dialog with its own
// painted title band and title buttons; it hosts the pages.
#pragma once
#include <array>

#include "shell/TrayIcon.h"
#include "widgets/Dialog.h"
#include "widgets/Handles.h"
#include "widgets/OffscreenSurface.h"
#include "widgets/Picture.h"
#include "widgets/PictureButton.h"
#include "widgets/Tooltip.h"
#include "widgets/WindowShape.h"

namespace qtr {

class MainWindow : public Dialog {
 public:
  static constexpr int kWidth = 642, kHeight = 436;

  MainWindow();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;

 private:
  void CreateTitleButtons();
  void Paint();
  void OpenHelp() const;

  Picture background_, frame_, pageArea_, logo_;
  std::array<PictureButton, 4> titleButtons_;
  Tooltip tooltip_;
  OffscreenSurface surface_;
  CaptionDrag captionDrag_{60};
  CTrayIcon tray_;
};

}  // namespace qtr
