// The message loop of the window tests: what a running program's loop
// would have dispatched by now, dispatched in place.
#pragma once
#include <windows.h>

#include <functional>

namespace qtr::test {

// Translates and dispatches every message waiting in this thread's queue.
void PumpMessages();
// Pumps, resting rest milliseconds between rounds, until done holds or
// timeout milliseconds have passed; what done says at the end.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout, DWORD rest = 1);

}  // namespace qtr::test
