// What the progress window shows at each tick of a disk copy, as a function
// of the job record, so that the window only renders it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "diskcopy/DiskCopyJob.h"

namespace qtr {

// Bytes as kilobytes with "," every three digits: "1,234,567KB".
std::u16string KilobyteLabel(uint64_t bytes);

struct DiskCopyView {
  std::u16string totalText;                  // "488,281,250KB"
  std::optional<std::u16string> copiedText;  // while the total is known
  std::optional<int> percent;
  std::optional<std::u16string> elapsedText, remainingText;
  bool ended = false;  // the worker has stopped: stop the timer, show Close instead of Cancel
};

class DiskCopyTicker {
 public:
  explicit DiskCopyTicker(int64_t now) : lastUpdate_(now) {}
  // now in seconds; closing tells that the window is being closed.
  DiskCopyView Tick(const DiskCopyJob& job, int64_t now, bool closing);

 private:
  int64_t lastUpdate_;
  int64_t counter_ = 0;  // one per update, however many seconds passed
};

}  // namespace qtr
