#include "engine/BatchCommitter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace qtr {
namespace {

// Batches are worked on one at a time and in order, off the thread that
// hands them over; a hand-over waits for the batch before; Wait and Stop
// return only once the work has ended.
TEST(BatchCommitter, WorksOnOneBatchAtATimeInOrderOffTheHandingThread) {
  std::mutex mutex;
  std::vector<int> done;
  std::atomic<int> atWork{0};
  std::atomic<int> mostAtOnce{0};
  std::atomic<bool> offThread{true};
  const std::thread::id handing = std::this_thread::get_id();
  {
    BatchCommitter<std::vector<int>> committer([&](std::vector<int> batch) {
      mostAtOnce = std::max(mostAtOnce.load(), ++atWork);
      if (std::this_thread::get_id() == handing) offThread = false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      std::lock_guard lock(mutex);
      done.insert(done.end(), batch.begin(), batch.end());
      --atWork;
    });
    for (int i = 0; i < 5; ++i) committer.HandOver({2 * i, 2 * i + 1});
    committer.Wait();
    {
      std::lock_guard lock(mutex);
      EXPECT_EQ(done, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }
    committer.HandOver({10});
    committer.Stop();
    EXPECT_EQ(done.size(), 11u) << "Stop waits for the batch at work";
  }
  EXPECT_EQ(mostAtOnce, 1);
  EXPECT_TRUE(offThread);

  // Nothing handed over: no thread to start or join.
  BatchCommitter<int> idle([](int) { ADD_FAILURE(); });
  idle.Wait();
  idle.Stop();
}

}  // namespace
}  // namespace qtr
