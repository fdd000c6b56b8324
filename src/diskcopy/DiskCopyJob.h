// The whole-disk copy ("quick backup"): the job record shared by the
// progress window and its worker, and the worker that copies the source
// disk onto the target one geometric cylinder at a time.
#pragma once
#include <atomic>
#include <cstdint>
#include <thread>

#include "devices/DeviceList.h"

namespace qtr {

// Written by one side and polled by the other; stop is the only field both
// write (Cancel asks, the worker confirms at its end).
struct DiskCopyJob {
  std::atomic<uint64_t> total{0};
  std::atomic<uint64_t> copied{0};
  std::atomic<int32_t> stop{0};
  std::atomic<int32_t> source{-1};
  std::atomic<int32_t> target{-1};
  std::atomic<int32_t> success{0};
  std::atomic<int32_t> finished{0};
};

// Runs the copy on the calling thread. The two records are taken from list
// under its mutex at the start, so a disk leaving the list meanwhile cannot
// pull them from under the copy. Always ends with finished = 1 and stop = 1.
void RunDiskCopy(DiskCopyJob& job, DeviceList& list);

// Owns the worker thread of one copy; joins it when destroyed.
class DiskCopyWorker {
 public:
  DiskCopyWorker() = default;
  ~DiskCopyWorker() { Join(); }
  DiskCopyWorker(const DiskCopyWorker&) = delete;
  DiskCopyWorker& operator=(const DiskCopyWorker&) = delete;

  // Starts the worker while holding the list's mutex.
  void Start(DiskCopyJob& job, DeviceList& list);
  void Join();

 private:
  std::thread thread_;
};

}  // namespace qtr
