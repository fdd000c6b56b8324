// The committer of a copy pass: a thread of its own that works on one
// handed-over batch at a time, while the pass copies the next one.
//
// Owns: its thread, started by the first HandOver, and the batch handed
// over until the work on it has ended. Waits for: a batch, or Stop.
// HandOver first waits until the batch before has been worked on, so
// batches are worked on one after another, in the order handed over.
// Joined by: Stop, which the pass calls before it ends what the work waits
// on (its flusher), or the destructor.
#pragma once
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "platform/SlimLock.h"

namespace qtr {

template <typename Batch>
class BatchCommitter {
 public:
  explicit BatchCommitter(std::function<void(Batch)> work) : work_(std::move(work)) {}
  BatchCommitter(const BatchCommitter&) = delete;
  BatchCommitter& operator=(const BatchCommitter&) = delete;
  ~BatchCommitter() { Stop(); }

  void HandOver(Batch batch) {
    Wait();
    if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
    {
      std::lock_guard lock(mutex_);
      handedOver_ = std::move(batch);
    }
    changed_.notify_all();
  }
  // Waits until no batch is handed over or being worked on.
  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !handedOver_; });
  }
  // Waits for the batch at work, then ends the thread and joins it.
  void Stop() {
    Wait();
    if (!thread_.joinable()) return;
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

 private:
  void Loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return quit_ || handedOver_; });
      if (!handedOver_) return;
      Batch batch = std::move(*handedOver_);
      lock.unlock();
      work_(std::move(batch));
      lock.lock();
      // Cleared only now: HandOver waits for this before it hands over the next batch.
      handedOver_.reset();
      changed_.notify_all();
    }
  }

  const std::function<void(Batch)> work_;
  SlimMutex mutex_;
  SlimCondition changed_;
  std::optional<Batch> handedOver_;  // the batch being worked on, or waiting to be
  bool quit_ = false;
  std::thread thread_;  // last: started once the rest is made
};

}  // namespace qtr
