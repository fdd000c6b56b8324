// The one message and question box of the program: a title, a message, OK
// and Cancel, optionally counting down from 30 and confirming itself. Enter
// and Esc do nothing; it closes as confirmed once the main window is gone.
// It grows to fit a long message, up to kMaxHeight; past that the message
// scrolls.
#pragma once
#include <string>

#include "platform/Handles.h"
#include "ui/ConfirmationCountdown.h"
#include "ui/Prompter.h"
#include "widgets/PaintedDialog.h"
#include "widgets/PictureButton.h"
#include "widgets/WindowShape.h"

namespace qtr {

class CMakeSureDlg : public PaintedDialog {
 public:
  static constexpr int kWidth = 413, kHeight = 126, kMaxHeight = 360;

  // mainWindow: the window whose end also ends the question (null: none).
  CMakeSureDlg(const Question& question, HWND mainWindow, std::wstring okText = L"OK",
               std::wstring cancelText = L"Cancel");

  // Ends the modal loop with IDOK, as the OK button does.
  void CloseAsConfirmed() { EndModal(IDOK); }
  const ConfirmationCountdown& Countdown() const { return countdown_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnTimer(UINT_PTR id) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  void PaintSurface(HDC dc, const RECT& client) override;

 private:
  void Layout();

  Question question_;
  HWND mainWindow_;
  std::wstring okText_, cancelText_;
  ConfirmationCountdown countdown_;
  GdiObject<HFONT> font_;
  ControlColours messageColours_{RGB(20, 30, 40), RGB(240, 244, 248)};
  PictureButton closeButton_, okButton_, cancelButton_;
  CaptionDrag captionDrag_{30};
};

// Asks through the confirmation window, modally, over the main window.
class WindowPrompter : public Prompter {
 public:
  explicit WindowPrompter(HWND mainWindow) : mainWindow_(mainWindow) {}
  bool Ask(const Question& question) override;

 private:
  HWND mainWindow_;
};

}  // namespace qtr
