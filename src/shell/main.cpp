#include <windows.h>

#include <commctrl.h>

#include "shell/MainWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
  InitCommonControlsEx(&controls);
  qtr::MainWindow window;
  window.RunModal(nullptr);
  return 0;
}
