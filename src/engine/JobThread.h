// The worker thread of one job and the signal that its work has ended,
// for every front end (the progress window and qtrpack).
//
// Owns: the thread and the ended flag. Start runs the work once on a new
// thread; the flag turns true when the work returns, and stays so. Waits
// for: nothing itself; WaitForEnd waits for the flag at most the time given.
// Joined by: Join, or the destructor. The owner makes the work return first
// (the job's stop flag, its pause gate open), or the join waits for it.
#pragma once
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace qtr {

class JobThread {
 public:
  JobThread() = default;
  JobThread(const JobThread&) = delete;
  JobThread& operator=(const JobThread&) = delete;
  ~JobThread() { Join(); }

  // Once per JobThread.
  void Start(std::function<void()> work);
  // True once the work has returned; false before Start.
  bool Ended() const;
  // Waits until the work has returned or timeout has passed; Ended().
  bool WaitForEnd(std::chrono::milliseconds timeout);
  // Waits for the thread to leave; nothing when it never started or has been joined.
  void Join();

 private:
  mutable std::mutex mutex_;
  std::condition_variable endedChanged_;
  bool ended_ = false;
  std::thread thread_;
};

}  // namespace qtr
