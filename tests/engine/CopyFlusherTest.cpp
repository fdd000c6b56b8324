#include "engine/CopyFlusher.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "platform/SystemError.h"

namespace qtr {
namespace {

// A file whose flush is recorded in a shared log, and may fail.
class LoggedFile : public File {
 public:
  LoggedFile(int name, std::vector<int>& log, std::mutex& mutex, uint32_t error = 0)
      : name_(name), log_(log), mutex_(mutex), error_(error) {}
  uint32_t Read(void*, size_t, size_t* got) override {
    *got = 0;
    return 0;
  }
  uint32_t Write(const void*, size_t) override { return 0; }
  uint32_t Seek(uint64_t) override { return 0; }
  uint32_t Size(uint64_t* size) override {
    *size = 0;
    return 0;
  }
  uint32_t GetInfo(FindEntry*) override { return 0; }
  uint32_t SetTimesAndAttributes(const FileTimes&, uint32_t) override { return 0; }
  uint32_t SetCompression(bool) override { return 0; }
  uint32_t Flush() override {
    std::lock_guard lock(mutex_);
    log_.push_back(name_);
    return error_;
  }
  uint32_t RenameTo(std::u16string_view) override { return 0; }

 private:
  int name_;
  std::vector<int>& log_;
  std::mutex& mutex_;
  uint32_t error_;
};

TEST(CopyFlusherTest, FlushesInQueueOrderAndTellsEachTicketsErrorOnce) {
  std::vector<int> log;
  std::mutex mutex;
  LoggedFile a(1, log, mutex), b(2, log, mutex, kErrorDiskFull), c(3, log, mutex);
  CopyFlusher flusher;
  EXPECT_EQ(flusher.Queue(&a), 0u);
  EXPECT_EQ(flusher.Queue(&b), 1u);
  EXPECT_EQ(flusher.Queue(&c), 2u);
  // Waiting for the last means the ones before are flushed too.
  EXPECT_EQ(flusher.WaitFlushed(2), 0u);
  EXPECT_EQ(flusher.WaitFlushed(0), 0u);
  EXPECT_EQ(flusher.WaitFlushed(1), kErrorDiskFull);
  EXPECT_EQ(flusher.WaitFlushed(1), 0u);  // told once
  flusher.End();
  EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
}

TEST(CopyFlusherTest, AnIdleFlusherEndsAtOnceAndOnlyOnceAndAUsedOneEndsWithItsOwner) {
  CopyFlusher idle;
  idle.End();
  idle.End();
  std::vector<int> log;
  std::mutex mutex;
  LoggedFile a(1, log, mutex);
  {
    CopyFlusher flusher;
    EXPECT_EQ(flusher.WaitFlushed(flusher.Queue(&a)), 0u);
  }  // the destructor ends and joins the thread
  EXPECT_EQ(log, (std::vector<int>{1}));
}

}  // namespace
}  // namespace qtr
