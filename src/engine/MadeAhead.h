// Makes the items of a sequence (the sources of a copy pass opened, its
// partial files created) on a thread of its own, up to `ahead` items before
// the one taking them, in order. Under Wine an open or a create is a round
// trip to the server; made ahead, the pass's own thread spends that time
// copying. The maker waits at the job's pause gate before each item and ends
// with the job's stop. With nothing ahead there is no thread, and each item
// is made when it is taken.
#pragma once
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "engine/BackupJob.h"
#include "platform/SlimLock.h"

namespace qtr {

template <class Item>
class MadeAhead {
 public:
  // Makes the next item; false once the sequence has ended. Called on the
  // maker's thread, or on the taker's with nothing ahead, never on both.
  using Make = std::function<bool(Item*)>;

  // Starts the thread at once: whatever make uses must be ready.
  MadeAhead(BackupJob& job, size_t ahead, Make make) : job_(job), ahead_(ahead), make_(std::move(make)) {
    if (ahead_ > 0) thread_ = std::thread([this] { Run(); });
  }
  ~MadeAhead() { End(); }
  MadeAhead(const MadeAhead&) = delete;
  MadeAhead& operator=(const MadeAhead&) = delete;

  // The next item, in order; false once the sequence has ended, or when the
  // job stopped before the maker came to it. After a false, no item is
  // being made.
  bool Take(Item* item) {
    if (ahead_ == 0) return job_.control.stop == 0 && make_(item);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
    if (ready_.empty()) return false;
    *item = std::move(ready_.front());
    ready_.pop_front();
    changed_.notify_all();
    return true;
  }

  // Ends the thread and hands back the items made and never taken.
  std::deque<Item> End() {
    if (thread_.joinable()) {
      {
        const std::lock_guard lock(mutex_);
        quit_ = true;
      }
      changed_.notify_all();
      thread_.join();
    }
    return std::exchange(ready_, {});
  }

 private:
  void Run() {
    for (;;) {
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return ready_.size() < ahead_ || quit_; });
        if (quit_) break;
      }
      if (!job_.control.WaitUnlessStopped()) break;
      Item item;
      if (!make_(&item)) break;
      const std::lock_guard lock(mutex_);
      ready_.push_back(std::move(item));
      changed_.notify_all();
    }
    const std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
  }

  BackupJob& job_;
  const size_t ahead_;
  const Make make_;
  SlimMutex mutex_;
  SlimCondition changed_;
  std::deque<Item> ready_;
  bool finished_ = false;  // the maker has made all it will
  bool quit_ = false;
  std::thread thread_;  // last: started once the rest is made
};

}  // namespace qtr
