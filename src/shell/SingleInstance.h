// One program per desktop: the first start holds a named mutex for its whole
// life; a later start brings the first one's window to the front and ends.
#pragma once
#include "platform/Handles.h"

namespace qtr {

class SingleInstance {
 public:
  static constexpr wchar_t kMutexName[] = L"Qtr XVQ GUI";
  // The main window's title, and no other window's (the splash has none).
  static constexpr wchar_t kWindowTitle[] = L"QTR XVQ GUI";

  // True for the first instance. Otherwise shows the running program's window
  // (when it can be found) and returns false; the caller then ends.
  bool Acquire();

 private:
  UniqueHandle mutex_;
};

}  // namespace qtr
