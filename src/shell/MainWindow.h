// The program's main window: a borderless, fixed-size dialog with its own
// painted title band and title buttons; it hosts the pages. While it comes
// up a splash window shows on a thread of its own.
#pragma once
#include <array>

#include "shell/ShellChange.h"
#include "shell/SplashWindow.h"
#include "shell/TrayIcon.h"
#include "widgets/Dialog.h"
#include "widgets/Handles.h"
#include "widgets/OffscreenSurface.h"
#include "widgets/Picture.h"
#include "widgets/PictureButton.h"
#include "widgets/Tooltip.h"
#include "widgets/WindowShape.h"

namespace qtr {

class CVantroDlg : public Dialog {
 public:
  static constexpr int kWidth = 642, kHeight = 436;

  static constexpr UINT kShellChangeMessage = WM_USER + 1000;

  explicit CVantroDlg(bool withSplash = true);

  // Where the shell's file-system changes go (the trees); none: they are ignored.
  void SetShellChangeSink(ShellChangeSink* sink) { shellSink_ = sink; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;

 private:
  void CreateTitleButtons();
  void Paint();
  void OpenHelp() const;
  void RegisterShellChanges();
  void OnShellChange(WPARAM w, LPARAM l);

  CInitDlg splash_;
  Picture background_, frame_, pageArea_, logo_;
  std::array<PictureButton, 4> titleButtons_;
  Tooltip tooltip_;
  OffscreenSurface surface_;
  CaptionDrag captionDrag_{60};
  CTrayIcon tray_;
  bool aboutShown_ = false;
  ULONG shellRegistration_ = 0;
  ShellChangeSink* shellSink_ = nullptr;
};

}  // namespace qtr
