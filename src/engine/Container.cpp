#include "engine/Container.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "engine/CompressLZ77.h"
#include "engine/ContainerCoderPool.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

// Reads exactly size bytes unless the file ends first (*got tells).
uint32_t ReadFull(File& file, uint8_t* buffer, size_t size, size_t* got) {
  *got = 0;
  while (*got < size) {
    size_t n = 0;
    if (const uint32_t error = file.Read(buffer + *got, size - *got, &n); error != 0) return error;
    if (n == 0) break;
    *got += n;
  }
  return 0;
}

}  // namespace

ContainerStatus WriteContainer(File& source, uint64_t size, File& destination, ContainerControl* control,
                               unsigned threads) {
  if (threads == 0) threads = DefaultCoderThreads();
  threads = std::min(threads, kMaxCoderThreads);
  if (threads == 1 || size <= kLz77BlockSize) {
    return WriteContainer(source, size, destination, control, 1, nullptr);
  }
  ContainerCoderPool& pool = ContainerCoderPool::Shared();
  pool.EnsureWorkers(threads);
  return WriteContainer(source, size, destination, control, threads, &pool);
}

ContainerStatus WriteContainer(File& source, uint64_t size, File& destination, ContainerControl* control,
                               unsigned threads, ContainerCoderPool* pool) {
  if (const uint32_t error = destination.Write(kContainerMarker, 4); error != 0)
    return {ContainerResult::kWriteFailed, error};
  // The one-thread path codes on the calling thread: the reference every
  // other worker count must match byte for byte.
  std::unique_ptr<CCompressLZ77> coder;
  if (pool == nullptr || threads <= 1) coder = std::make_unique<CCompressLZ77>();
  // Two blocks per worker and a few more read ahead, so a worker that
  // frees up finds a block waiting even while the oldest one, coded more
  // slowly than those after it, holds up the writing. 128 KiB a block:
  // 1.25 MiB with two workers, under 5 MiB with sixteen.
  const size_t window = coder ? 1 : 2 * size_t{std::max(threads, 1u)} + 6;
  std::vector<CoderBlock> slots(window);
  // Declared after slots: ends (dropping or waiting for its blocks) before them.
  std::optional<ContainerCoderPool::Batch> batch;
  if (!coder) batch.emplace(*pool, threads);
  size_t oldest = 0;
  size_t inFlight = 0;
  uint64_t remaining = size;
  while (remaining > 0 || inFlight > 0) {
    while (inFlight < window && remaining > 0) {
      if (control != nullptr && !control->WaitUnlessStopped()) return {ContainerResult::kStopped, 0};
      const size_t r = static_cast<size_t>(std::min<uint64_t>(kLz77BlockSize, remaining));
      CoderBlock& block = slots[(oldest + inFlight) % window];
      block.raw.resize(r);
      size_t got = 0;
      if (const uint32_t error = ReadFull(source, block.raw.data(), r, &got); error != 0)
        return {ContainerResult::kReadFailed, error};
      // A file that shrank while it was read: store only what was read, and fail.
      if (got != r) return {ContainerResult::kReadFailed, kErrorHandleEof};
      remaining -= r;
      if (coder) {
        CodeContainerBlock(*coder, block);
      } else {
        batch->Submit(&block);
      }
      ++inFlight;
    }
    CoderBlock& block = slots[oldest];
    if (batch) batch->WaitDone(&block);
    if (const uint32_t error = destination.Write(block.coded.data(), block.coded.size()); error != 0)
      return {ContainerResult::kWriteFailed, error};
    if (control != nullptr) control->AddProgress(block.raw.size());
    oldest = (oldest + 1) % window;
    --inFlight;
  }
  return {};
}

ContainerStatus ReadContainer(File& source, uint64_t size, File& destination, ContainerControl* control) {
  if (size < 4) return {ContainerResult::kDamaged, 0};
  CCompressLZ77 coder;
  std::vector<uint8_t> stored(kLz77BlockSize);
  std::vector<uint8_t> raw(kLz77BlockSize);
  uint64_t remaining = size - 4;
  while (remaining > 0) {
    if (control != nullptr && !control->WaitUnlessStopped()) return {ContainerResult::kStopped, 0};
    uint8_t header[4];
    size_t got = 0;
    if (remaining < 4) return {ContainerResult::kDamaged, 0};
    if (const uint32_t error = ReadFull(source, header, 4, &got); error != 0)
      return {ContainerResult::kReadFailed, error};
    if (got != 4) return {ContainerResult::kDamaged, 0};
    const uint32_t r16 = header[0] | (uint32_t{header[1]} << 8);
    const uint32_t s16 = header[2] | (uint32_t{header[3]} << 8);
    const uint32_t r = r16 == 0 ? 65536 : r16;
    const bool isRaw = s16 == r16;
    const uint32_t s = isRaw ? r : s16;
    if (s == 0 || remaining - 4 < s) return {ContainerResult::kDamaged, 0};
    remaining -= 4 + uint64_t{s};
    if (const uint32_t error = ReadFull(source, stored.data(), s, &got); error != 0)
      return {ContainerResult::kReadFailed, error};
    if (got != s) return {ContainerResult::kDamaged, 0};
    const uint8_t* out = stored.data();
    if (!isRaw) {
      if (coder.Decompress(raw.data(), r, stored.data(), s) != 1) return {ContainerResult::kDamaged, 0};
      out = raw.data();
    }
    if (const uint32_t error = destination.Write(out, r); error != 0)
      return {ContainerResult::kWriteFailed, error};
    if (control != nullptr) control->AddProgress(uint64_t{s} + 4);
  }
  return {};
}

ContainerStatus CopyStream(File& source, File& destination, ContainerControl* control) {
  std::vector<uint8_t> buffer(kLz77BlockSize);
  for (;;) {
    size_t got = 0;
    if (const uint32_t error = source.Read(buffer.data(), buffer.size(), &got); error != 0)
      return {ContainerResult::kReadFailed, error};
    if (got == 0) return {};
    if (control != nullptr && !control->WaitUnlessStopped()) return {ContainerResult::kStopped, 0};
    if (const uint32_t error = destination.Write(buffer.data(), got); error != 0)
      return {ContainerResult::kWriteFailed, error};
    if (control != nullptr) control->AddProgress(got);
  }
}

bool ContainerRawSize(File& source, uint64_t size, uint64_t* rawSize) {
  *rawSize = 0;
  uint64_t at = 4;
  while (at < size) {
    uint8_t header[4];
    size_t got = 0;
    if (size - at < 4 || source.Seek(at) != 0 || ReadFull(source, header, 4, &got) != 0 || got != 4)
      return false;
    const uint32_t r16 = header[0] | (uint32_t{header[1]} << 8);
    const uint32_t s16 = header[2] | (uint32_t{header[3]} << 8);
    const uint32_t r = r16 == 0 ? 65536 : r16;
    const uint32_t s = s16 == r16 ? r : s16;
    if (s == 0 || size - at - 4 < s) return false;
    at += 4 + uint64_t{s};
    *rawSize += r;
  }
  return size >= 4;
}

}  // namespace qtr
