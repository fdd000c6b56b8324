#include "pages/WhileWindowsAnswer.h"

#include <windows.h>

#include <thread>

#include "platform/Handles.h"

namespace qtr {
namespace {

bool IsInputOrTimer(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK) || message == WM_TIMER;
}

}  // namespace

void RunWhileWindowsAnswer(const std::function<void()>& work) {
  const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  const HCURSOR before = SetCursor(wait);
  const UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!done) {
    work();
    SetCursor(before);
    return;
  }
  std::thread worker([&work, &done] {
    work();
    SetEvent(done.Get());
  });
  bool quit = false;
  int quitCode = 0;
  for (;;) {
    const HANDLE handle = done.Get();
    const DWORD woke = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
    if (woke != WAIT_OBJECT_0 + 1) break;  // done, or the wait failed: join below
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        quitCode = static_cast<int>(message.wParam);
        continue;
      }
      if (IsInputOrTimer(message.message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    SetCursor(wait);
  }
  worker.join();
  SetCursor(before);
  if (quit) PostQuitMessage(quitCode);  // for the message loop that owns it
}

}  // namespace qtr
