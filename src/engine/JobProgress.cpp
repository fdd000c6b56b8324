#include "engine/JobProgress.h"

#include "engine/JobText.h"

namespace qtr {

bool IsLowOnSpace(uint64_t availableBytes) { return (availableBytes >> 20) < 4; }

bool IsTargetRemoval(std::u16string_view removedDrive, std::u16string_view targetText) {
  return removedDrive == targetText;
}

std::optional<int64_t> RemainingSeconds(uint64_t totalBytes, uint64_t doneBytes, int64_t elapsedSeconds) {
  if (doneBytes == 0 || elapsedSeconds < 0) return std::nullopt;
  const uint64_t rate = doneBytes / static_cast<uint64_t>(elapsedSeconds + 1);
  if (rate == 0) return std::nullopt;  // fewer bytes than seconds so far: no estimate yet
  const uint64_t left = totalBytes > doneBytes ? totalBytes - doneBytes : 0;
  return static_cast<int64_t>(left / rate);
}

int OverallPercent(uint64_t totalBytes, uint64_t doneBytes) {
  return totalBytes == 0 ? 100 : static_cast<int>(doneBytes * 100 / totalBytes);
}

JobView JobTicker::Tick(BackupJob& job, int64_t now, size_t failureLines, bool promptOpen) {
  JobView view;
  view.scannedText = FormatFileCount(job.scannedCount);
  if (job.scanning != 0) {
    view.scanning = true;
    elapsed_ = 0;
    startStamp_ = now;
    return view;
  }
  if (job.restore == 0) {
    if (job.targetRoot.empty()) {
      view.action = JobView::Action::kStopForNoTarget;
      return view;
    }
    uint64_t available = 0;
    if (job.fs.FreeSpace(job.targetRoot.substr(0, 2) + u"\\", &available) == 0 && IsLowOnSpace(available)) {
      job.stop = 1;
      view.action = JobView::Action::kStopForLowSpace;
      return view;
    }
  }
  if (!controlsShown_) view.showControls = controlsShown_ = true;
  if (!failureListShown_ && failureLines > 0) view.showFailureList = failureListShown_ = true;

  const uint64_t total = job.totalBytes, done = job.doneBytes;
  if (total != 0) {
    view.overallPercent = OverallPercent(total, done);
    const uint64_t size = job.currentSize;
    if (size != 0) {
      filePercent_ = static_cast<int>(job.currentDone * 100 / size);
      view.filePercent = filePercent_;
      if (filePercent_ >= 100) filePercent_ = 0;
    }
    if (job.newFile.exchange(0) != 0) {
      std::u16string current = job.CurrentFile();
      if (!current.empty()) view.currentFile = std::move(current);
    }
    if (pending_ <= 0) pending_ = now - startStamp_;
    if (pending_ >= 1) {
      ++elapsed_;
      pending_ = 0;
      view.elapsedText = FormatDuration(elapsed_);
      if (const auto left = RemainingSeconds(total, done, elapsed_)) view.remainingText = FormatDuration(*left);
      startStamp_ = now;
    }
    view.finishedText = FormatFileCount(job.finishedCount);
    if (job.stop != 0 && !promptOpen) {
      view.remainingText = u"00:00:00";
      view.action = JobView::Action::kFinish;
    }
    return view;
  }
  view.finishedText = FormatFileCount(job.finishedCount);
  if (job.stop != 0) {
    std::u16string current = job.CurrentFile();
    if (!current.empty()) view.currentFile = std::move(current);
    view.overallPercent = 100;
    view.filePercent = 100;
    view.action = JobView::Action::kEndedWithNothing;
  }
  return view;
}

}  // namespace qtr
