// A password try's derivation on its own thread: the window keeps answering
// what is sent and posted to it, and drops the clicks that come meanwhile.
#include "pages/WhileWindowsAnswer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

namespace qtr {
namespace {

int g_posted = 0, g_sent = 0, g_clicks = 0;

LRESULT CALLBACK Counting(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_APP) ++g_posted;
  if (message == WM_APP + 1) ++g_sent;
  if (message == WM_LBUTTONDOWN) ++g_clicks;
  return DefWindowProcW(window, message, w, l);
}

TEST(WhileWindowsAnswerTest, TheWindowAnswersWhileTheWorkRunsAndClicksAreDropped) {
  WNDCLASSW type{};
  type.lpfnWndProc = Counting;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"QtrWhileWindowsAnswerTest";
  ASSERT_NE(RegisterClassW(&type), 0);
  HWND window = CreateWindowExW(0, type.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                type.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  const DWORD windowThread = GetCurrentThreadId();
  bool sentAnswered = false;
  DWORD workThread = 0;
  RunWhileWindowsAnswer([&] {
    workThread = GetCurrentThreadId();
    PostMessageW(window, WM_LBUTTONDOWN, 0, 0);
    PostMessageW(window, WM_APP, 0, 0);
    DWORD_PTR result = 0;
    // Answered only when the window's thread keeps reading its messages.
    sentAnswered = SendMessageTimeoutW(window, WM_APP + 1, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
    Sleep(200);
  });
  EXPECT_NE(workThread, windowThread) << "the work ran off the window's thread";
  EXPECT_TRUE(sentAnswered);
  EXPECT_EQ(g_sent, 1);
  EXPECT_EQ(g_posted, 1);
  EXPECT_EQ(g_clicks, 0) << "a click while waiting starts nothing";
  DestroyWindow(window);
}

}  // namespace
}  // namespace qtr
