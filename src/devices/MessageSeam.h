// How the device code shows a message: a plain box without owner or title
// (the debug message box, and the few plain boxes of the disk code). Tests
// record the texts; the Windows program shows a MessageBoxW.
#pragma once
#include <string_view>

namespace qtr {

class MessageSeam {
 public:
  virtual ~MessageSeam() = default;
  // May be called from any thread; returns when the user has dismissed it.
  virtual void ShowPlainMessage(std::u16string_view text) = 0;
};

}  // namespace qtr
