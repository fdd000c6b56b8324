// The pause event of a job: open lets the worker run, closed halts it at
// its next wait. The window closes and opens it; the worker waits on it.
#pragma once
#include <condition_variable>
#include <mutex>

namespace qtr {

class PauseGate {
 public:
  void Open();
  void Close();
  void Wait();
  bool IsOpen() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = true;
};

}  // namespace qtr
