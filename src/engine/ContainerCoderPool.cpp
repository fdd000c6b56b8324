#include "engine/ContainerCoderPool.h"

#include <algorithm>
#include <memory>

#include "engine/CompressLZ77.h"

namespace qtr {

void CodeContainerBlock(CCompressLZ77& coder, CoderBlock& block) {
  const size_t r = block.raw.size();
  block.coded.resize(4 + r + kLz77OutputSlack);
  const int size = coder.Compress(block.raw.data(), r, block.coded.data() + 4, r + kLz77OutputSlack);
  const uint16_t r16 = static_cast<uint16_t>(r);  // 65536 is written as 0
  const uint16_t s16 = size > 0 ? static_cast<uint16_t>(size) : r16;
  block.coded[0] = static_cast<uint8_t>(r16);
  block.coded[1] = static_cast<uint8_t>(r16 >> 8);
  block.coded[2] = static_cast<uint8_t>(s16);
  block.coded[3] = static_cast<uint8_t>(s16 >> 8);
  if (size > 0) {
    block.coded.resize(4 + static_cast<size_t>(size));
  } else {
    std::copy(block.raw.begin(), block.raw.end(), block.coded.begin() + 4);
    block.coded.resize(4 + r);
  }
}

unsigned DefaultCoderThreads() {
  return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxCoderThreads);
}

ContainerCoderPool::ContainerCoderPool(unsigned workers) {
  EnsureWorkers(workers);
}

ContainerCoderPool::~ContainerCoderPool() {
  {
    const std::lock_guard lock(mutex_);
    ending_ = true;
  }
  work_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

ContainerCoderPool& ContainerCoderPool::Shared() {
  // Never destroyed: a worker joined from a static destructor at process
  // exit may already have been ended by the system.
  static ContainerCoderPool* const pool = new ContainerCoderPool(DefaultCoderThreads());
  return *pool;
}

void ContainerCoderPool::EnsureWorkers(unsigned n) {
  const std::lock_guard lock(mutex_);
  n = std::min(n, kMaxCoderThreads);
  while (threads_.size() < n) threads_.emplace_back([this] { Work(); });
}

unsigned ContainerCoderPool::Workers() const {
  const std::lock_guard lock(mutex_);
  return static_cast<unsigned>(threads_.size());
}

unsigned ContainerCoderPool::Running() const {
  const std::lock_guard lock(mutex_);
  return running_;
}

size_t ContainerCoderPool::Queued() const {
  const std::lock_guard lock(mutex_);
  return queue_.size();
}

void ContainerCoderPool::Work() {
  // Each worker keeps its own coder: its tables are large and every block
  // starts them afresh, so reusing them changes no coded byte.
  const auto coder = std::make_unique<CCompressLZ77>();
  std::unique_lock lock(mutex_);
  for (;;) {
    auto next = queue_.end();
    work_.wait(lock, [&] {
      next = std::find_if(queue_.begin(), queue_.end(),
                          [](const Item& item) { return item.batch->running_ < item.batch->parallel_; });
      return ending_ || next != queue_.end();
    });
    if (ending_) return;
    const Item item = *next;
    queue_.erase(next);
    ++item.batch->running_;
    ++running_;
    lock.unlock();
    CodeContainerBlock(*coder, *item.block);
    lock.lock();
    --running_;
    --item.batch->running_;
    item.block->done = true;
    // Under the lock: once a waiter sees done it may end the batch at once.
    done_.notify_all();
    if (!queue_.empty()) work_.notify_one();
  }
}

ContainerCoderPool::Batch::Batch(ContainerCoderPool& pool, unsigned parallel)
    : pool_(pool), parallel_(std::max(parallel, 1u)) {}

ContainerCoderPool::Batch::~Batch() {
  Close();
}

void ContainerCoderPool::Batch::Submit(CoderBlock* block) {
  {
    const std::lock_guard lock(pool_.mutex_);
    block->done = false;
    pool_.queue_.push_back({this, block});
  }
  pool_.work_.notify_one();
}

void ContainerCoderPool::Batch::WaitDone(CoderBlock* block) {
  std::unique_lock lock(pool_.mutex_);
  pool_.done_.wait(lock, [&] { return block->done; });
}

void ContainerCoderPool::Batch::Close() {
  std::unique_lock lock(pool_.mutex_);
  std::erase_if(pool_.queue_, [this](const Item& item) { return item.batch == this; });
  pool_.done_.wait(lock, [this] { return running_ == 0; });
}

}  // namespace qtr
