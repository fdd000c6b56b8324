#include "shell/MainWindow.h"

#include "resource.h"

namespace qtr {

MainWindow::MainWindow() : Dialog(IDD_MAIN_WINDOW) {}

bool MainWindow::OnInit() {
  // A second start finds the running program by this title.
  SetWindowTextW(Handle(), L"QTR XVQ GUI");
  // The window has a fixed size in pixels whatever the dialog font makes of the template.
  constexpr int kWidth = 642, kHeight = 436;
  SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowPos(Item(IDC_MAIN_QUIT), nullptr, kWidth - 92, 12, 76, 26, SWP_NOZORDER);
  SetItemText(IDC_MAIN_STATUS, L"Ready.");
  titleFont_.Reset(CreateFontW(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  SendMessageW(Item(IDC_MAIN_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.Get()), TRUE);
  return true;
}

bool MainWindow::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      return true;  // Enter and Esc never close the window
    case IDC_MAIN_QUIT:
      EndModal(IDCANCEL);
      return true;
    default:
      return false;
  }
}

}  // namespace qtr
