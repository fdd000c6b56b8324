#include "engine/Container.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "Lz77Samples.h"
#include "engine/ContainerCoderPool.h"
#include "platform/SystemError.h"
#include "support/MemoryFileSystem.h"

namespace qtr {
namespace {

class CountingControl : public ContainerControl {
 public:
  explicit CountingControl(int stopAfter = -1) : stopAfter_(stopAfter) {}
  bool WaitUnlessStopped() override { return stopAfter_ < 0 || waits_++ < stopAfter_; }
  void AddProgress(uint64_t bytes) override { progress += bytes; }
  uint64_t progress = 0;

 private:
  int stopAfter_;
  int waits_ = 0;
};

std::string Text(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

class ContainerTest : public ::testing::Test {
 protected:
  ContainerTest() { fs_.AddVolume(u'C', MemoryFileSystem::Kind::kNtfs); }

  // Puts plain in C:\in and opens it, and C:\out.zip for writing; false when either open failed.
  bool OpenInAndOut(const std::string& plain, std::unique_ptr<File>* in, std::unique_ptr<File>* out) {
    fs_.PutFile(u"C:\\in", plain);
    return fs_.Open(u"C:\\in", OpenMode::kReadExisting, in) == 0 &&
           fs_.Open(u"C:\\out.zip", OpenMode::kWriteTruncate, out) == 0;
  }

  // Packs plain into C:\out.zip; returns the container's bytes.
  std::string Pack(const std::string& plain, unsigned threads = 1, ContainerStatus* status = nullptr,
                   ContainerCoderPool* pool = nullptr) {
    std::unique_ptr<File> in, out;
    EXPECT_TRUE(OpenInAndOut(plain, &in, &out));
    CountingControl control;
    const ContainerStatus result = pool != nullptr
                                       ? WriteContainer(*in, plain.size(), *out, &control, threads, pool)
                                       : WriteContainer(*in, plain.size(), *out, &control, threads);
    if (status != nullptr) {
      *status = result;
    } else {
      EXPECT_TRUE(result.Ok());
    }
    if (result.Ok()) {
      EXPECT_EQ(control.progress, plain.size());
    }
    std::string bytes;
    fs_.GetFile(u"C:\\out.zip", &bytes);
    return bytes;
  }

  // Unpacks container bytes into C:\back.
  ContainerStatus Unpack(const std::string& container, std::string* plain, uint64_t* progress = nullptr) {
    fs_.PutFile(u"C:\\stored.zip", container);
    std::unique_ptr<File> in, out;
    EXPECT_EQ(fs_.Open(u"C:\\stored.zip", OpenMode::kReadExisting, &in), 0u);
    EXPECT_EQ(fs_.Open(u"C:\\back", OpenMode::kWriteTruncate, &out), 0u);
    in->Seek(4);
    CountingControl control;
    const ContainerStatus status = ReadContainer(*in, container.size(), *out, &control);
    if (progress != nullptr) *progress = control.progress;
    fs_.GetFile(u"C:\\back", plain);
    return status;
  }

  MemoryFileSystem fs_;
};

TEST_F(ContainerTest, EmptyFileIsTheMarkerAlone) {
  EXPECT_EQ(Pack(""), std::string(4, '\xFF'));
  std::string plain = "x";
  EXPECT_TRUE(Unpack(std::string(4, '\xFF'), &plain).Ok());
  EXPECT_EQ(plain, "");
}

TEST_F(ContainerTest, RandomDataIsStoredRawWithFullBlocksAsZeroLengths) {
  const std::string plain = Text(test::RandomBytes(65536 + 10, 3));
  const std::string packed = Pack(plain);
  ASSERT_EQ(packed.size(), 4 + 4 + 65536 + 4 + 10u);
  EXPECT_EQ(packed.substr(4, 4), std::string(4, '\0'));
  EXPECT_EQ(packed.substr(8, 65536), plain.substr(0, 65536));
  EXPECT_EQ(packed.substr(65544, 4), std::string("\x0A\x00\x0A\x00", 4));
  std::string back;
  uint64_t progress = 0;
  ASSERT_TRUE(Unpack(packed, &back, &progress).Ok());
  EXPECT_EQ(back, plain);
  EXPECT_EQ(progress, packed.size() - 4);
}

TEST_F(ContainerTest, OneByteOverABlockGivesASecondBlock) {
  const std::string plain(65537, 'q');
  const std::string packed = Pack(plain);
  // 48 coded bytes for the full block, then one byte stored raw.
  ASSERT_EQ(packed.size(), 4 + 4 + 48 + 4 + 1u);
  EXPECT_EQ(packed.substr(4, 4), std::string("\x00\x00\x30\x00", 4));
  EXPECT_EQ(packed.substr(56), std::string("\x01\x00\x01\x00q", 5));
  std::string back;
  ASSERT_TRUE(Unpack(packed, &back).Ok());
  EXPECT_EQ(back, plain);
}

TEST_F(ContainerTest, ParallelCodingWritesTheSameBytes) {
  std::string plain = Text(test::WordText(400000, 5, 12)) + Text(test::RandomBytes(70000, 9)) +
                      Text(test::RunsAndNoise(200001, 4));
  const std::string single = Pack(plain, 1);
  EXPECT_EQ(Pack(plain, 2), single);
  EXPECT_EQ(Pack(plain, 3), single);
  std::string back;
  ASSERT_TRUE(Unpack(single, &back).Ok());
  EXPECT_EQ(back, plain);
}

TEST_F(ContainerTest, DamagedContainersAreReportedAsDamaged) {
  const std::string packed = Pack(Text(test::WordText(100000, 2, 9)));
  std::string back;
  EXPECT_EQ(Unpack(packed.substr(0, packed.size() - 1), &back).result, ContainerResult::kDamaged);
  EXPECT_EQ(Unpack(packed + "\x01", &back).result, ContainerResult::kDamaged);
  EXPECT_EQ(Unpack(packed.substr(0, 6), &back).result, ContainerResult::kDamaged);
  // A stored length of 0 for a block that is not full.
  EXPECT_EQ(Unpack(std::string("\xFF\xFF\xFF\xFF\x05\x00\x00\x00", 8), &back).result,
            ContainerResult::kDamaged);
  std::string corrupt = packed;
  corrupt[9] = static_cast<char>(0xFF);
  corrupt[10] = static_cast<char>(0xFF);
  EXPECT_EQ(Unpack(corrupt, &back).result, ContainerResult::kDamaged);
}

TEST_F(ContainerTest, StopAndReadErrorsEndTheCopy) {
  const std::string plain = Text(test::WordText(300000, 2, 9));
  std::unique_ptr<File> in, out;
  ASSERT_TRUE(OpenInAndOut(plain, &in, &out));
  CountingControl stopAfterTwo(2);
  EXPECT_EQ(WriteContainer(*in, plain.size(), *out, &stopAfterTwo, 1).result, ContainerResult::kStopped);
  EXPECT_EQ(stopAfterTwo.progress, 2 * 65536u);

  fs_.FailReadAt(u"C:\\in", 100000, kErrorReadFault);
  ContainerStatus status;
  Pack(plain, 1, &status);
  EXPECT_EQ(status.result, ContainerResult::kReadFailed);
  EXPECT_EQ(status.error, kErrorReadFault);
  fs_.ClearFaults();

  fs_.FailWritesAt(u"C:\\out.zip", 1000, kErrorDiskFull);
  Pack(plain, 2, &status);
  EXPECT_EQ(status.result, ContainerResult::kWriteFailed);
  EXPECT_EQ(status.error, kErrorDiskFull);
}

// Compressible text, random bytes stored raw and runs, so blocks of both
// kinds and of very different coding times meet in one container.
std::string MixedInput(size_t n) {
  std::string mixed = Text(test::WordText(300000, 7, 14)) + Text(test::RandomBytes(140000, 8)) +
                      Text(test::RunsAndNoise(n > 440000 ? n - 440000 : 0, 6));
  mixed.resize(n);
  return mixed;
}

TEST_F(ContainerTest, EveryWorkerCountWritesTheOneThreadBytesAroundBlockBoundaries) {
  const std::string input = MixedInput(2 * 1024 * 1024 + 12345);
  std::vector<size_t> sizes = {0, 1, 65535, 65536, 65537};
  for (const size_t n : {2u, 5u}) {
    sizes.push_back(n * 65536 - 1);
    sizes.push_back(n * 65536);
    sizes.push_back(n * 65536 + 1);
  }
  sizes.push_back(input.size());
  std::vector<std::string> single;
  for (const size_t size : sizes) single.push_back(Pack(input.substr(0, size), 1));
  for (const unsigned workers : {1u, 2u, 3u, 16u}) {
    ContainerCoderPool pool(workers);
    for (size_t k = 0; k < sizes.size(); ++k) {
      EXPECT_EQ(Pack(input.substr(0, sizes[k]), workers, nullptr, &pool), single[k])
          << workers << " workers, " << sizes[k] << " bytes";
    }
    EXPECT_EQ(pool.Running(), 0u);
    EXPECT_EQ(pool.Queued(), 0u);
  }
  // The process's own pool, at its default count, writes the same.
  EXPECT_EQ(Pack(input, 0), single.back());
  std::string back;
  ASSERT_TRUE(Unpack(single.back(), &back).Ok());
  EXPECT_EQ(back, input);
}

TEST_F(ContainerTest, StopAndErrorsEndThePipelineWithNoBlockLeftInAWorker) {
  const std::string plain = MixedInput(40 * 65536 + 3);
  const std::string single = Pack(plain, 1);
  ContainerCoderPool pool(3);
  std::unique_ptr<File> in, out;
  ASSERT_TRUE(OpenInAndOut(plain, &in, &out));
  CountingControl stopAfterTwenty(20);
  EXPECT_EQ(WriteContainer(*in, plain.size(), *out, &stopAfterTwenty, 3, &pool).result,
            ContainerResult::kStopped);
  EXPECT_EQ(pool.Running(), 0u);
  EXPECT_EQ(pool.Queued(), 0u);
  // What was written before the stop is the start of the container, in order.
  in.reset();
  out.reset();
  std::string partial;
  fs_.GetFile(u"C:\\out.zip", &partial);
  EXPECT_GT(partial.size(), 4u);
  EXPECT_LT(partial.size(), single.size());
  EXPECT_EQ(partial, single.substr(0, partial.size()));
  EXPECT_LE(stopAfterTwenty.progress, 20 * 65536u);
  EXPECT_EQ(stopAfterTwenty.progress % 65536, 0u);

  ContainerStatus status;
  fs_.FailReadAt(u"C:\\in", 20 * 65536 + 100, kErrorReadFault);
  Pack(plain, 3, &status, &pool);
  EXPECT_EQ(status.result, ContainerResult::kReadFailed);
  EXPECT_EQ(status.error, kErrorReadFault);
  EXPECT_EQ(pool.Running() + pool.Queued(), 0u);
  fs_.ClearFaults();

  fs_.FailWritesAt(u"C:\\out.zip", single.size() / 2, kErrorDiskFull);
  Pack(plain, 3, &status, &pool);
  EXPECT_EQ(status.result, ContainerResult::kWriteFailed);
  EXPECT_EQ(status.error, kErrorDiskFull);
  EXPECT_EQ(pool.Running() + pool.Queued(), 0u);
  fs_.ClearFaults();

  // The pool serves the next copy as before.
  EXPECT_EQ(Pack(plain, 3, nullptr, &pool), single);
}

// Pauses at its pauseAt-th check until Resume().
class PausingControl : public ContainerControl {
 public:
  explicit PausingControl(int pauseAt) : pauseAt_(pauseAt) {}
  bool WaitUnlessStopped() override {
    std::unique_lock lock(mutex_);
    if (++checks_ == pauseAt_) {
      paused_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return !paused_; });
    }
    return true;
  }
  void AddProgress(uint64_t bytes) override { progress += bytes; }
  void WaitUntilPaused() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return paused_; });
  }
  void Resume() {
    const std::lock_guard lock(mutex_);
    paused_ = false;
    changed_.notify_all();
  }
  std::atomic<uint64_t> progress = 0;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int pauseAt_;
  int checks_ = 0;
  bool paused_ = false;
};

TEST_F(ContainerTest, APauseHoldsTheWorkersUntilTheJobGoesOn) {
  const std::string plain = MixedInput(30 * 65536);
  const std::string single = Pack(plain, 1);
  ContainerCoderPool pool(2);
  std::unique_ptr<File> in, out;
  ASSERT_TRUE(OpenInAndOut(plain, &in, &out));
  PausingControl control(12);
  ContainerStatus status;
  std::thread copy([&] { status = WriteContainer(*in, plain.size(), *out, &control, 2, &pool); });
  control.WaitUntilPaused();
  // The blocks handed out before the pause are finished; no new one starts.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (pool.Running() + pool.Queued() != 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const uint64_t progressAtPause = control.progress;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(pool.Running() + pool.Queued(), 0u);
  EXPECT_EQ(control.progress, progressAtPause);
  EXPECT_LT(progressAtPause, 12 * 65536u);
  control.Resume();
  copy.join();
  EXPECT_TRUE(status.Ok());
  EXPECT_EQ(control.progress, plain.size());
  in.reset();
  out.reset();
  std::string bytes;
  fs_.GetFile(u"C:\\out.zip", &bytes);
  EXPECT_EQ(bytes, single);
}

}  // namespace
}  // namespace qtr
