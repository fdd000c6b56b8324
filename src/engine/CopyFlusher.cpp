#include "engine/CopyFlusher.h"

namespace qtr {

uint64_t CopyFlusher::Queue(File* file) {
  if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
  uint64_t ticket = 0;
  {
    const std::lock_guard lock(mutex_);
    ticket = flushed_ + toFlush_.size();
    toFlush_.push_back(file);
  }
  changed_.notify_all();
  return ticket;
}

void CopyFlusher::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return quit_ || !toFlush_.empty(); });
    // The copies still queued at the end were never committed: they are removed unflushed.
    if (quit_) return;
    File* file = toFlush_.front();
    lock.unlock();
    const uint32_t error = file->Flush();
    lock.lock();
    toFlush_.pop_front();
    if (error != 0) errors_[flushed_] = error;
    ++flushed_;
    changed_.notify_all();
  }
}

uint32_t CopyFlusher::WaitFlushed(uint64_t ticket) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return flushed_ > ticket; });
  const auto it = errors_.find(ticket);
  if (it == errors_.end()) return 0;
  const uint32_t error = it->second;
  errors_.erase(it);
  return error;
}

void CopyFlusher::End() {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

}  // namespace qtr
