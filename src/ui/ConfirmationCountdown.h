// What the confirmation window does on each tick of its one-second timer:
// count down when asked to and confirm itself at zero, and confirm itself
// as well once the main window is gone (the program is ending).
#pragma once
#include <string>

namespace qtr {

class ConfirmationCountdown {
 public:
  static constexpr int kSeconds = 30;

  explicit ConfirmationCountdown(bool enabled, int seconds = kSeconds)
      : enabled_(enabled), remaining_(seconds > 0 ? seconds : 1) {}

  struct Tick {
    bool closeConfirmed = false;
    bool textChanged = false;
  };
  Tick OnTick(bool mainWindowGone);

  bool Enabled() const { return enabled_; }
  int Remaining() const { return remaining_; }
  // The number drawn while counting down; empty without a countdown.
  std::u16string Text() const;

 private:
  bool enabled_;
  int remaining_;
};

}  // namespace qtr
