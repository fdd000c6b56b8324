#include "shell/SingleInstance.h"

namespace qtr {

bool SingleInstance::Acquire() {
  mutex_.Reset(CreateMutexW(nullptr, FALSE, kMutexName));
  if (GetLastError() != ERROR_ALREADY_EXISTS) return static_cast<bool>(mutex_);
  mutex_.Reset();
  // During the first instance's start-up its window may not exist yet; then nothing is shown.
  if (HWND running = FindWindowW(nullptr, kWindowTitle)) {
    ShowWindow(running, SW_SHOWNORMAL);
    SetForegroundWindow(running);
  }
  return false;
}

}  // namespace qtr
