// The figures of a running job that the progress window reads on its
// timer: counts and bytes as atomics it polls without a lock, and the
// current file, read under its own mutex. The worker writes them.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace qtr {

class JobCounters {
 public:
  // A new current file; the window's next tick shows it.
  void SetCurrentFile(const std::u16string& path);
  std::u16string CurrentFile() const;

  std::atomic<uint32_t> scannedCount{0};
  std::atomic<uint32_t> finishedCount{0};
  std::atomic<uint32_t> selectedCount{0};  // "path" entries of the selection file
  std::atomic<uint32_t> upToDateCount{0};  // files left out by the changed-only test
  std::atomic<uint32_t> changedCount{0};   // restored though changed since they were backed up
  std::atomic<uint32_t> lackingCount{0};   // copied whole without their times or attributes
  // Files on the PC a restore replaced that differed from their restored
  // copies: moved to the Recycle Bin, or kept beside under another name.
  std::atomic<uint32_t> recycledCount{0};
  std::atomic<uint32_t> keptBesideCount{0};
  std::atomic<uint64_t> totalBytes{0};
  std::atomic<uint64_t> doneBytes{0};
  std::atomic<uint64_t> currentDone{0};
  std::atomic<uint64_t> currentSize{0};
  std::atomic<int> scanning{0};
  std::atomic<int> newFile{0};  // set with each new current file, taken by the window

 private:
  mutable std::mutex mutex_;  // guards currentFile_
  std::u16string currentFile_;
};

}  // namespace qtr
