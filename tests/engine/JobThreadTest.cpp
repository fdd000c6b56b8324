#include "engine/JobThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "engine/PauseGate.h"

namespace qtr {
namespace {

using std::chrono::milliseconds;

TEST(JobThreadTest, EndsOnlyOnceTheWorkHasReturnedAndWakesItsWaiterThen) {
  JobThread worker;
  EXPECT_FALSE(worker.Ended());
  PauseGate gate;
  gate.Close();
  std::atomic<bool> ran{false};
  worker.Start([&] {
    gate.Wait();
    ran = true;
  });
  // Held at the gate: a wait runs out and says the work goes on.
  EXPECT_FALSE(worker.WaitForEnd(milliseconds(30)));
  EXPECT_FALSE(worker.Ended());
  gate.Open();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(worker.WaitForEnd(milliseconds(10'000)));
  // Woken by the end, not by the time running out.
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(5'000));
  EXPECT_TRUE(ran);
  EXPECT_TRUE(worker.Ended());
  worker.Join();
  worker.Join();  // a second join has nothing left to wait for
  EXPECT_TRUE(worker.Ended());
}

TEST(JobThreadTest, AThreadNeverStartedJoinsAtOnceAndOneStartedIsJoinedByItsOwner) {
  {
    JobThread idle;
    idle.Join();
    EXPECT_FALSE(idle.Ended());
  }
  std::atomic<bool> ran{false};
  {
    JobThread worker;
    worker.Start([&] {
      std::this_thread::sleep_for(milliseconds(20));
      ran = true;
    });
  }  // the destructor waited for the work
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace qtr
