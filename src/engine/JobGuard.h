// What the guard of a running backup found, shared between the copy pass
// and the front end: whether the pass may ask the person, the moment it
// found the job past the guard's threshold, and the person's answer.
#pragma once
#include <atomic>
#include <mutex>
#include <string>

namespace qtr {

struct GuardFindings {
  int suspicious = 0;  // replacements that looked encrypted or lost their type
  int replaced = 0;    // replacements judged
  int renamed = 0;     // new files renamed to one new extension
  std::u16string extension;
};

struct JobGuard {
  enum Answer : int { kNoAnswer = 0, kStop = 1, kGoOn = 2 };

  // Set before the job starts: 1 when a person watches (the pass then waits
  // for an answer), 0 when it must stop without asking (the schedule, the
  // hotkey or the enclosure button with the window hidden; qtrpack).
  std::atomic<int> askPerson{0};
  std::atomic<int> waiting{0};  // the pass waits for answer
  std::atomic<int> answer{kNoAnswer};
  std::atomic<int> stopped{0};  // the guard stopped the job

  void SetFindings(GuardFindings found) {
    std::lock_guard lock(mutex_);
    findings_ = std::move(found);
  }
  GuardFindings Findings() const {
    std::lock_guard lock(mutex_);
    return findings_;
  }

 private:
  mutable std::mutex mutex_;
  GuardFindings findings_;
};

}  // namespace qtr
