// The compressed stored file: the marker FF FF FF FF, then blocks of at
// most 64 KiB of input, each a 2-byte raw length, a 2-byte stored length
// and the raw or LZ77-coded bytes (little-endian).
#pragma once
#include <cstdint>

#include "platform/FileSystem.h"

namespace qtr {

inline constexpr uint8_t kContainerMarker[4] = {0xFF, 0xFF, 0xFF, 0xFF};

// What a container copy asks of the job it runs in.
class ContainerControl {
 public:
  virtual ~ContainerControl() = default;
  // Waits while the job is paused; false when the job must stop.
  virtual bool WaitUnlessStopped() = 0;
  virtual void AddProgress(uint64_t bytes) = 0;
};

enum class ContainerResult { kOk, kStopped, kReadFailed, kWriteFailed, kDamaged };

struct ContainerStatus {
  ContainerResult result = ContainerResult::kOk;
  uint32_t error = 0;  // Win32 error code of a failed read or write
  bool Ok() const { return result == ContainerResult::kOk; }
};

class ContainerCoderPool;

// Writes the container of size bytes read from source. Progress counts
// input bytes, a block at a time as it is written; the stop and pause
// checks come before each block is read. With threads > 1 (0: one per
// processor, at most 16) the blocks are coded by the process's coder pool
// while the next ones are read and the finished ones written in order;
// the bytes written are the same for every count. The control is called
// on the calling thread only, and no block is in a worker when it returns.
ContainerStatus WriteContainer(File& source, uint64_t size, File& destination, ContainerControl* control,
                               unsigned threads = 0);
// The same through the given pool (null, or threads 1: on the calling thread).
ContainerStatus WriteContainer(File& source, uint64_t size, File& destination, ContainerControl* control,
                               unsigned threads, ContainerCoderPool* pool);

// Expands the blocks of a container whose marker was read already; size is
// the whole stored file's size. Progress counts stored bytes (4 + stored
// length per block). A stream that does not decode, or blocks that do not
// fill the file exactly, give kDamaged.
ContainerStatus ReadContainer(File& source, uint64_t size, File& destination, ContainerControl* control);

// Copies source to destination as it is, in 64 KiB pieces: the plain form's
// copy, with the same pause and stop check before each write and progress
// in bytes written. control may be null.
ContainerStatus CopyStream(File& source, File& destination, ContainerControl* control);

// The size a container expands to, from its block headers alone (the file
// positioned anywhere; size is the whole file's). False when the blocks do
// not fill the file exactly.
bool ContainerRawSize(File& source, uint64_t size, uint64_t* rawSize);

}  // namespace qtr
