#include "diskcopy/DiskCopyProgress.h"

#include "engine/JobText.h"

namespace qtr {

std::u16string KilobyteLabel(uint64_t bytes) {
  // The whole 64-bit value: a 32-bit one would turn a disk over 2 TiB negative.
  uint64_t kilobytes = bytes / 1024;
  std::u16string digits;
  int count = 0;
  do {
    if (count != 0 && count % 3 == 0) digits.insert(digits.begin(), u',');
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + kilobytes % 10));
    kilobytes /= 10;
    ++count;
  } while (kilobytes != 0);
  return digits + u"KB";
}

DiskCopyView DiskCopyTicker::Tick(const DiskCopyJob& job, int64_t now, bool closing) {
  DiskCopyView view;
  const uint64_t total = job.total.load();
  const uint64_t copied = job.copied.load();
  view.totalText = KilobyteLabel(total);
  if (total != 0) {
    const uint64_t done = copied < total ? copied : total;
    view.percent = static_cast<int>(total >= UINT64_MAX / 100 ? done / (total / 100) : done * 100 / total);
    if (now - lastUpdate_ >= 1) {
      ++counter_;
      view.elapsedText = FormatDuration(counter_);
      const uint64_t rate = copied / static_cast<uint64_t>(counter_ + 1);
      view.remainingText =
          rate == 0 ? u"00:00:00" : FormatDuration(static_cast<int64_t>((total - done) / rate));
      lastUpdate_ = now;
    }
    view.copiedText = KilobyteLabel(copied);
  }
  // Also with an unknown total, or the window would never offer Close.
  if (job.stop.load() != 0 && !closing) {
    view.remainingText = u"00:00:00";
    view.ended = true;
  }
  return view;
}

}  // namespace qtr
