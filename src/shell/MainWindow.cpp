#include "shell/MainWindow.h"

#include "resource.h"

namespace qtr {

MainWindow::MainWindow() : Dialog(IDD_MAIN_WINDOW) {}

bool MainWindow::OnInit() {
  SetWindowPos(Handle(), nullptr, 0, 0, 642, 436, SWP_NOMOVE | SWP_NOZORDER);
  SetItemText(IDC_MAIN_STATUS, L"Ready.");
  return true;
}

bool MainWindow::OnCommand(int id, int, HWND) {
  // Enter never closes the window; the system menu's Close (IDCANCEL) does for now.
  if (id == IDOK) return true;
  if (id == IDCANCEL) {
    EndModal(IDCANCEL);
    return true;
  }
  return false;
}

}  // namespace qtr
