// Opening a large folder in the source tree, as a person opens it (the
// keyboard's "+", so the control reports the opening and draws it), beside
// Wine's own `cmd /c dir /s /b` listing the same folder, in one process run.
//   tree_expand_bench FOLDER [ROUNDS]
// FOLDER is a Windows path on a drive of its own (the tree shows drives).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "devices/DeviceList.h"
#include "trees/BackUpTreeCtrl.h"

namespace {

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void Press(HWND tree, HTREEITEM item, WPARAM key) {
  TreeView_SelectItem(tree, item);
  SendMessageW(tree, WM_KEYDOWN, key, 0);
  SendMessageW(tree, WM_KEYUP, key, 0);
  UpdateWindow(tree);
}

// Runs a command line to its end; the seconds it took, or -1.
double Run(std::wstring line) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const double start = Seconds();
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process))
    return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  const double took = Seconds() - start;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return took;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tree_expand_bench FOLDER [ROUNDS]\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  const int rounds = argc > 2 ? _wtoi(argv[2]) : 3;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  CoInitialize(nullptr);

  HWND frame = CreateWindowExW(0, L"#32770", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 700,
                               nullptr, nullptr, nullptr, nullptr);
  HWND treeWindow = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 380, 660,
                                    frame, reinterpret_cast<HMENU>(1), nullptr, nullptr);
  qtr::CBackUpTreeCtrl tree(u"");
  qtr::DeviceList disks;
  if (!tree.Attach(treeWindow) || !tree.FillComputer(disks)) return 1;
  Pump();
  const std::u16string path(folder.begin(), folder.end());
  std::u16string drive = path.substr(0, 3);
  HTREEITEM driveItem = tree.FindPath(drive);
  if (driveItem == nullptr) return 1;
  Press(treeWindow, driveItem, VK_ADD);
  HTREEITEM item = path.size() > 3 ? tree.FindPath(path) : driveItem;
  if (item == nullptr) return 1;
  if (item == driveItem) Press(treeWindow, item, VK_SUBTRACT);

  double bestTree = 1e9, bestDir = 1e9, bestStart = 1e9;
  size_t shown = 0;
  for (int round = 0; round < rounds; ++round) {
    const double start = Seconds();
    Press(treeWindow, item, VK_ADD);
    Pump();
    bestTree = std::min(bestTree, Seconds() - start);
    shown = 0;
    for (HTREEITEM child = TreeView_GetChild(treeWindow, item); child != nullptr;
         child = TreeView_GetNextSibling(treeWindow, child))
      ++shown;
    Press(treeWindow, item, VK_SUBTRACT);
    Pump();
    bestDir = std::min(bestDir, Run(L"cmd /c dir /s /b \"" + folder + L"\" > NUL"));
    bestStart = std::min(bestStart, Run(L"cmd /c rem"));
  }
  std::printf("entries shown: %zu\n", shown);
  std::printf("tree expand:         %.3f s\n", bestTree);
  std::printf("cmd /c dir /s /b:    %.3f s (cmd start-up alone %.3f s)\n", bestDir, bestStart);
  std::printf("ratio tree / dir:    %.2f (against dir without start-up: %.2f)\n", bestTree / bestDir,
              bestTree / std::max(bestDir - bestStart, 1e-3));
  DestroyWindow(frame);
  return 0;
}
