// A mutex and a condition variable for the hand-offs between the threads of
// a copy (a block to code, a file opened ahead, a batch to commit), which
// happen thousands of times a job. The standard ones of the Windows build
// sit on the threads library's events and semaphores, and under Wine every
// wait and every wake on those is a round trip to the server, paid on the
// very processors the coding wants. The system's slim reader/writer lock
// and its condition variable wait in the process. Elsewhere these are the
// standard types.
#pragma once
#include <mutex>

#ifndef _WIN32
#include <condition_variable>
#endif

namespace qtr {

#ifdef _WIN32

// Meets the standard's Lockable, so std::lock_guard and std::unique_lock
// take it. Not recursive, as std::mutex.
class SlimMutex {
 public:
  SlimMutex() = default;
  SlimMutex(const SlimMutex&) = delete;
  SlimMutex& operator=(const SlimMutex&) = delete;
  void lock();
  void unlock();
  bool try_lock();

 private:
  friend class SlimCondition;
  void* lock_ = nullptr;  // an SRWLOCK: one pointer, all zero when free
};

class SlimCondition {
 public:
  SlimCondition() = default;
  SlimCondition(const SlimCondition&) = delete;
  SlimCondition& operator=(const SlimCondition&) = delete;
  void wait(std::unique_lock<SlimMutex>& lock);
  template <class Predicate>
  void wait(std::unique_lock<SlimMutex>& lock, Predicate ready) {
    while (!ready()) wait(lock);
  }
  void notify_one();
  void notify_all();

 private:
  void* condition_ = nullptr;  // a CONDITION_VARIABLE: one pointer, all zero when made
};

#else

using SlimMutex = std::mutex;
using SlimCondition = std::condition_variable;

#endif

}  // namespace qtr
