// The flusher of a backup's copy pass: each complete copy is flushed as
// soon as it is held, on a thread of its own, while the committer puts the
// batch before it in place.
//
// Owns: its thread, started by the first Queue, and the queue of files and
// the errors of their flushes (not the files: the pass holds them open
// until their tickets are flushed). Waits for: a file queued, or End.
// Joined by: End, which the pass calls once its committer has been joined,
// or the destructor. A file still queued at End is not flushed: it was
// never committed, and its partial file goes unflushed.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "platform/FileSystem.h"
#include "platform/SlimLock.h"

namespace qtr {

class CopyFlusher {
 public:
  CopyFlusher() = default;
  CopyFlusher(const CopyFlusher&) = delete;
  CopyFlusher& operator=(const CopyFlusher&) = delete;
  ~CopyFlusher() { End(); }

  // Queues file's flush; its ticket, counted from 0 in the order of the queue.
  uint64_t Queue(File* file);
  // Waits until the file of ticket is flushed; the flush's error, told once.
  uint32_t WaitFlushed(uint64_t ticket);
  // Stops the thread after the flush it is making, and joins it.
  void End();

 private:
  void Loop();

  SlimMutex mutex_;
  SlimCondition changed_;
  std::deque<File*> toFlush_;  // the files of tickets flushed_ and on
  uint64_t flushed_ = 0;
  std::map<uint64_t, uint32_t> errors_;  // ticket -> error, until WaitFlushed asks
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace qtr
