#include <windows.h>

#include <commctrl.h>

#include "shell/MainWindow.h"
#include "widgets/GdiplusSession.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
  InitCommonControlsEx(&controls);
  qtr::GdiplusSession gdiplus;
  qtr::MainWindow window;
  window.RunModal(nullptr);
  return 0;
}
