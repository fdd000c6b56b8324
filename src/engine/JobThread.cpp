#include "engine/JobThread.h"

namespace qtr {

void JobThread::Start(std::function<void()> work) {
  thread_ = std::thread([this, work = std::move(work)] {
    work();
    {
      std::lock_guard lock(mutex_);
      ended_ = true;
    }
    endedChanged_.notify_all();
  });
}

bool JobThread::Ended() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

bool JobThread::WaitForEnd(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return endedChanged_.wait_for(lock, timeout, [this] { return ended_; });
}

void JobThread::Join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace qtr
