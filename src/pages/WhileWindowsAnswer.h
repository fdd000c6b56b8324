// Slow work started from a window (the key derivation of a password try)
// runs on a thread of its own while the window's thread keeps painting and
// answering messages sent to it, under the wait cursor. Clicks and keys
// that arrive meanwhile are dropped, and timers skipped, so nothing else
// starts before the work is done.
#pragma once
#include <functional>

namespace qtr {

void RunWhileWindowsAnswer(const std::function<void()>& work);

}  // namespace qtr
