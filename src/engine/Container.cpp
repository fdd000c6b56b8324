#include "engine/Container.h"

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "engine/CompressLZ77.h"
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

// One block: its input and its coded form (header included).
struct Block {
  std::vector<uint8_t> raw;
  std::vector<uint8_t> coded;
};

void CodeBlock(CCompressLZ77& coder, Block& block) {
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

}  // namespace

ContainerStatus WriteContainer(File& source, uint64_t size, File& destination, ContainerControl* control,
                               unsigned threads) {
  if (const uint32_t error = destination.Write(kContainerMarker, 4); error != 0)
    return {ContainerResult::kWriteFailed, error};
  threads = std::clamp(threads, 1u, 16u);
  // A few blocks per thread per batch keeps every core busy while the
  // pause and stop checks still come at least every few hundred KiB.
  const size_t batch = threads == 1 ? 1 : threads * 2;
  std::vector<std::unique_ptr<CCompressLZ77>> coders;
  for (unsigned t = 0; t < threads; ++t) coders.push_back(std::make_unique<CCompressLZ77>());
  std::vector<Block> blocks(batch);
  uint64_t remaining = size;
  while (remaining > 0) {
    size_t count = 0;
    for (; count < batch && remaining > 0; ++count) {
      if (control != nullptr && !control->WaitUnlessStopped()) return {ContainerResult::kStopped, 0};
      const size_t r = static_cast<size_t>(std::min<uint64_t>(kLz77BlockSize, remaining));
      Block& block = blocks[count];
      block.raw.resize(r);
      size_t got = 0;
      if (const uint32_t error = ReadFull(source, block.raw.data(), r, &got); error != 0)
        return {ContainerResult::kReadFailed, error};
      // A file that shrank while it was read: store only what was read, and fail.
      if (got != r) return {ContainerResult::kReadFailed, kErrorHandleEof};
      remaining -= r;
    }
    if (count == 1 || threads == 1) {
      for (size_t b = 0; b < count; ++b) CodeBlock(*coders[0], blocks[b]);
    } else {
      std::vector<std::thread> workers;
      const unsigned used = static_cast<unsigned>(std::min<size_t>(threads, count));
      for (unsigned t = 0; t < used; ++t) {
        workers.emplace_back([&, t] {
          for (size_t b = t; b < count; b += used) CodeBlock(*coders[t], blocks[b]);
        });
      }
      for (auto& worker : workers) worker.join();
    }
    for (size_t b = 0; b < count; ++b) {
      if (const uint32_t error = destination.Write(blocks[b].coded.data(), blocks[b].coded.size()); error != 0)
        return {ContainerResult::kWriteFailed, error};
      if (control != nullptr) control->AddProgress(blocks[b].raw.size());
    }
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
    if (const uint32_t error = destination.Write(out, r); error != 0) return {ContainerResult::kWriteFailed, error};
    if (control != nullptr) control->AddProgress(uint64_t{s} + 4);
  }
  return {};
}

bool ContainerRawSize(File& source, uint64_t size, uint64_t* rawSize) {
  *rawSize = 0;
  uint64_t at = 4;
  while (at < size) {
    uint8_t header[4];
    size_t got = 0;
    if (size - at < 4 || source.Seek(at) != 0 || ReadFull(source, header, 4, &got) != 0 || got != 4) return false;
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
