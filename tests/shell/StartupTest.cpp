#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "resource.h"
#include "platform/Handles.h"
#include "shell/SingleInstance.h"
#include "shell/SplashWindow.h"
#include "support/MessagePump.h"
#include "widgets/GdiplusSession.h"

namespace qtr {
namespace {

using test::PumpMessages;

TEST(Splash, ShowsOnItsOwnThreadUntilAskedToClose) {
  GdiplusSession gdiplus;
  CInitDlg splash;
  splash.Start(u"\u6b63\u5728\u542f\u52a8\u2026");
  const DWORD start = GetTickCount();
  while (splash.Ticks() < 3 && GetTickCount() - start < 5000) Sleep(5);
  EXPECT_GE(splash.Ticks(), 3u);
  EXPECT_TRUE(splash.Running());
  wchar_t text[32] = {};
  GetWindowTextW(GetDlgItem(splash.Handle(), IDC_SPLASH_TEXT), text, 32);
  EXPECT_STREQ(text, L"\u6b63\u5728\u542f\u52a8\u2026") << "the text it was started with";
  splash.RequestClose();
  splash.Join();
  EXPECT_FALSE(splash.Running());
}

// The program path as Wine sees it: the host's root is drive Z:.
std::wstring ProgramPath() {
  std::wstring path = L"Z:" QTR_PROGRAM_PATH_W;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

TEST(SingleInstance, SecondStartShowsTheFirstWindowAndEnds) {
  SingleInstance first;
  ASSERT_TRUE(first.Acquire());
  // Still starting: the splash is up, topmost, above the main window.
  GdiplusSession gdiplus;
  CInitDlg splash;
  splash.Start(u"Starting");
  const DWORD start = GetTickCount();
  while (splash.Ticks() < 1 && GetTickCount() - start < 5000) Sleep(5);
  ASSERT_TRUE(splash.Running());
  // The first instance's main window, hidden in the tray.
  UniqueWindow window(CreateWindowExW(0, L"STATIC", SingleInstance::kWindowTitle, WS_POPUP, 0, 0, 100, 100,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_FALSE(IsWindowVisible(window.Get()));

  std::wstring command = L"\"" + ProgramPath() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));
  UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
  // The second start ends by itself, after showing our window.
  DWORD waited = WAIT_TIMEOUT;
  for (int i = 0; i < 300 && waited == WAIT_TIMEOUT; ++i) {
    waited = WaitForSingleObject(process.hProcess, 50);
    PumpMessages();
  }
  EXPECT_EQ(waited, WAIT_OBJECT_0);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  EXPECT_TRUE(IsWindowVisible(window.Get())) << "the main window is raised, not the splash";
  splash.RequestClose();
  splash.Join();
}

}  // namespace
}  // namespace qtr
