// Long-lived threads that code container blocks for WriteContainer, so a
// compressed copy starts no thread of its own: blocks are handed out as
// workers free up, and each writer waits only for the block it writes next.
#pragma once
#include <cstdint>
#include <deque>
#include <thread>
#include <vector>

#include "platform/SlimLock.h"

namespace qtr {

class CCompressLZ77;

// One block of a container: its input and its coded form (header included).
struct CoderBlock {
  std::vector<uint8_t> raw;
  std::vector<uint8_t> coded;
  bool done = false;  // guarded by the pool's mutex while the block is handed out
};

// Codes block.raw into block.coded: a 2-byte raw length (65536 as 0), a
// 2-byte stored length and the coded bytes, or the raw bytes when coding
// does not make them smaller.
void CodeContainerBlock(CCompressLZ77& coder, CoderBlock& block);

// The number of coding threads a compressed copy uses unless told: one per
// processor, at most kMaxCoderThreads.
inline constexpr unsigned kMaxCoderThreads = 16;
unsigned DefaultCoderThreads();

class ContainerCoderPool {
 public:
  explicit ContainerCoderPool(unsigned workers);
  // Ends the workers; no batch may be open.
  ~ContainerCoderPool();
  ContainerCoderPool(const ContainerCoderPool&) = delete;
  ContainerCoderPool& operator=(const ContainerCoderPool&) = delete;

  // The pool of the process, started on first use with DefaultCoderThreads()
  // workers; it lives until the process ends, idle between copies.
  static ContainerCoderPool& Shared();

  // Starts workers until there are at least n (at most kMaxCoderThreads).
  void EnsureWorkers(unsigned n);
  unsigned Workers() const;
  // Blocks being coded now and blocks waiting for a worker, of every batch.
  unsigned Running() const;
  size_t Queued() const;

  // The blocks of one container in flight; at most parallel of them are
  // coded at once. Closing it (or its destructor) drops the blocks not yet
  // started and waits for the running ones, so no worker touches a block
  // once the batch is gone.
  class Batch {
   public:
    Batch(ContainerCoderPool& pool, unsigned parallel);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    // block must stay alive and untouched until WaitDone(block) or Close().
    void Submit(CoderBlock* block);
    void WaitDone(CoderBlock* block);
    void Close();

   private:
    friend class ContainerCoderPool;
    ContainerCoderPool& pool_;
    unsigned parallel_;
    unsigned running_ = 0;  // guarded by the pool's mutex
  };

 private:
  struct Item {
    Batch* batch;
    CoderBlock* block;
  };
  void Work();

  mutable SlimMutex mutex_;
  SlimCondition work_;  // a block was queued, a batch freed a place, or the pool ends
  SlimCondition done_;  // a block was coded
  std::deque<Item> queue_;
  std::vector<std::thread> threads_;
  unsigned running_ = 0;
  bool ending_ = false;
};

}  // namespace qtr
