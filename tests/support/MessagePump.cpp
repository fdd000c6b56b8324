#include "support/MessagePump.h"

namespace qtr::test {

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeout, DWORD rest) {
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < timeout) {
    PumpMessages();
    Sleep(rest);
  }
  return done();
}

}  // namespace qtr::test
