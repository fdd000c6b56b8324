#include "engine/JobProgress.h"

#include "engine/JobText.h"

namespace qtr {

bool IsLowOnSpace(uint64_t availableBytes) {
  return (availableBytes >> 20) < 4;
}

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

namespace {

// A backup without a target, or with its target nearly full, cannot go on:
// the action that stops it, kNone otherwise.
JobView::Action TargetVerdict(const BackupJob& job) {
  if (!job.settings.IsBackup()) return JobView::Action::kNone;
  if (job.settings.targetRoot.empty()) return JobView::Action::kStopForNoTarget;
  uint64_t available = 0;
  if (job.fs.FreeSpace(job.settings.targetRoot.substr(0, 2) + u"\\", &available) == 0 &&
      IsLowOnSpace(available))
    return JobView::Action::kStopForLowSpace;
  return JobView::Action::kNone;
}

// The current file once it changed (always, with takeAlways), unless there is none.
void TakeCurrentFile(JobCounters& counters, bool takeAlways, JobView& view) {
  if (!takeAlways && counters.newFile.exchange(0) == 0) return;
  std::u16string current = counters.CurrentFile();
  if (!current.empty()) view.currentFile = std::move(current);
}

}  // namespace

JobView JobTicker::Tick(BackupJob& job, int64_t now, size_t failureLines, bool promptOpen) {
  JobView view;
  view.scannedText = FormatFileCount(job.counters.scannedCount);
  if (job.counters.scanning != 0) {
    view.scanning = true;
    elapsed_ = 0;
    startStamp_ = now;
    return view;
  }
  view.action = TargetVerdict(job);
  if (view.action == JobView::Action::kNone && job.guard.waiting != 0 &&
      job.guard.answer == JobGuard::kNoAnswer) {
    view.action = JobView::Action::kAskGuard;
    return view;
  }
  if (view.action == JobView::Action::kStopForLowSpace) job.control.stop = 1;
  if (view.action != JobView::Action::kNone) return view;
  if (!controlsShown_) view.showControls = controlsShown_ = true;
  if (!failureListShown_ && failureLines > 0) view.showFailureList = failureListShown_ = true;
  view.finishedText = FormatFileCount(job.counters.finishedCount);
  if (job.counters.totalBytes != 0) {
    TickCopying(job, now, promptOpen, view);
  } else if (job.control.stop != 0) {
    TakeCurrentFile(job.counters, true, view);
    view.overallPercent = 100;
    view.filePercent = 100;
    view.action = JobView::Action::kEndedWithNothing;
  }
  return view;
}

void JobTicker::TickCopying(BackupJob& job, int64_t now, bool promptOpen, JobView& view) {
  const uint64_t total = job.counters.totalBytes, done = job.counters.doneBytes;
  view.overallPercent = OverallPercent(total, done);
  if (const uint64_t size = job.counters.currentSize; size != 0) {
    filePercent_ = static_cast<int>(job.counters.currentDone * 100 / size);
    view.filePercent = filePercent_;
    if (filePercent_ >= 100) filePercent_ = 0;
  }
  TakeCurrentFile(job.counters, false, view);
  if (pending_ <= 0) pending_ = now - startStamp_;
  if (pending_ >= 1) {
    ++elapsed_;
    pending_ = 0;
    view.elapsedText = FormatDuration(elapsed_);
    if (const auto left = RemainingSeconds(total, done, elapsed_)) view.remainingText = FormatDuration(*left);
    startStamp_ = now;
  }
  if (job.control.stop != 0 && !promptOpen) {
    view.remainingText = u"00:00:00";
    view.action = JobView::Action::kFinish;
  }
}

}  // namespace qtr
