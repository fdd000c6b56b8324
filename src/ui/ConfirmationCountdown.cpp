#include "ui/ConfirmationCountdown.h"

#include "platform/NumberText.h"

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
  return DecimalText(remaining_);
}

}  // namespace qtr
