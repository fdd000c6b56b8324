// What the progress window shows at each tick of a backup or restore, as a
// function of the job's state, so that the window only renders it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "engine/BackupJob.h"

namespace qtr {

// Less than 4 MiB available to the caller stops a backup.
bool IsLowOnSpace(uint64_t availableBytes);
// A removal concerns the job only when it is of the target drive itself.
bool IsTargetRemoval(std::u16string_view removedDrive, std::u16string_view targetText);
// Seconds left at the rate so far; nothing while no rate can be told yet.
std::optional<int64_t> RemainingSeconds(uint64_t totalBytes, uint64_t doneBytes, int64_t elapsedSeconds);
int OverallPercent(uint64_t totalBytes, uint64_t doneBytes);

struct JobView {
  enum class Action {
    kNone,
    kStopForLowSpace,   // show "DiskIsSmallMessage", then stop without asking
    kStopForNoTarget,   // no target drive: stop
    kFinish,            // the job ended: show Close and run the completion
    kEndedWithNothing,  // ended with nothing to copy: Close, bars at 100, no completion
    kAskGuard,          // the guard found an attack and the pass waits: ask whether to stop
  };
  bool scanning = false;
  std::u16string scannedText;    // "12 Files"
  bool showControls = false;     // first tick of the copy phase
  bool showFailureList = false;  // first tick with a failure line
  std::optional<int> overallPercent, filePercent;
  std::optional<std::u16string> currentFile;  // a new file to show
  std::optional<std::u16string> elapsedText, remainingText;
  std::u16string finishedText;  // "3 Files"
  Action action = Action::kNone;
};

// The window's timer state: elapsed seconds counted one per tick at most,
// from the start of the copy phase.
class JobTicker {
 public:
  explicit JobTicker(int64_t now) : startStamp_(now) {}
  // now in seconds; failureLines is the failure list's line count;
  // promptOpen tells whether the stop question is open (no completion then).
  JobView Tick(BackupJob& job, int64_t now, size_t failureLines, bool promptOpen);
  int64_t ElapsedSeconds() const { return elapsed_; }

 private:
  // A tick of the copy phase of a job with bytes to copy: bars, times, the end.
  void TickCopying(BackupJob& job, int64_t now, bool promptOpen, JobView& view);

  int64_t startStamp_;
  int64_t pending_ = 0;
  int64_t elapsed_ = 0;
  int filePercent_ = 0;
  bool controlsShown_ = false;
  bool failureListShown_ = false;
};

}  // namespace qtr
