#include <windows.h>

#include "ui/LocalTime.h"

namespace qtr {
namespace {

class Win32LocalClock final : public LocalClock {
 public:
  LocalTime Now() const override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wDayOfWeek, now.wHour, now.wMinute, now.wSecond};
  }
};

}  // namespace

LocalClock& SystemLocalClock() {
  static Win32LocalClock clock;
  return clock;
}

}  // namespace qtr
