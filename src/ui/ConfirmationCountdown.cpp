#include "ui/ConfirmationCountdown.h"

namespace qtr {

ConfirmationCountdown::Tick ConfirmationCountdown::OnTick(bool mainWindowGone) {
  Tick tick;
  if (enabled_ && remaining_ > 0) {
    --remaining_;
    tick.textChanged = true;
    if (remaining_ == 0) tick.closeConfirmed = true;
  }
  if (mainWindowGone) tick.closeConfirmed = true;
  return tick;
}

std::u16string ConfirmationCountdown::Text() const {
  if (!enabled_) return {};
  const std::string digits = std::to_string(remaining_);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace qtr
