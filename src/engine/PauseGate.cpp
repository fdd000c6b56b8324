#include "engine/PauseGate.h"

namespace qtr {

void PauseGate::Open() {
  {
    std::lock_guard lock(mutex_);
    open_ = true;
  }
  changed_.notify_all();
}

void PauseGate::Close() {
  std::lock_guard lock(mutex_);
  open_ = false;
}

void PauseGate::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return open_; });
}

bool PauseGate::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

}  // namespace qtr
