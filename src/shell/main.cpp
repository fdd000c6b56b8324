// The program's entry: one instance, the common controls, OLE and GDI+, then
// the main window, run modally until the user quits.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "shell/MainWindow.h"
#include "shell/SingleInstance.h"
#include "widgets/GdiplusSession.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  qtr::SingleInstance instance;
  if (!instance.Acquire()) return 0;
  INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
  InitCommonControlsEx(&controls);
  if (FAILED(OleInitialize(nullptr))) return 0;
  {
    qtr::GdiplusSession gdiplus;
    qtr::CVantroDlg window;
    window.RunModal(nullptr);
  }
  OleUninitialize();
  return 0;
}
