// Feeds arbitrary bytes to the stored-file reader as a compressed container
// and to the block decoder as a coded block: both must fail cleanly or
// succeed, never stray outside their buffers. The bytes are also coded and
// decoded again, which must give them back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/CompressLZ77.h"
#include "engine/Container.h"
#include "support/MemoryFileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The stored file is the marker and these bytes.
  qtr::MemoryFileSystem fs;
  fs.AddVolume(u'C', qtr::MemoryFileSystem::Kind::kNtfs);
  std::string stored("\xFF\xFF\xFF\xFF", 4);
  stored.append(reinterpret_cast<const char*>(data), size);
  fs.PutFile(u"C:\\s.zip", stored);
  std::unique_ptr<qtr::File> in, out;
  if (fs.Open(u"C:\\s.zip", qtr::OpenMode::kReadExisting, &in) != 0) abort();
  if (fs.Open(u"C:\\out", qtr::OpenMode::kWriteTruncate, &out) != 0) abort();
  in->Seek(4);
  qtr::ReadContainer(*in, stored.size(), *out, nullptr);

  qtr::CCompressLZ77 coder;
  if (size >= 2) {
    // The first two bytes give the raw length, the rest is the coded block.
    const size_t raw = size_t{data[0]} | (size_t{data[1]} << 8);
    std::vector<uint8_t> output(raw + 1, 0x5A);
    coder.Decompress(output.data(), raw, data + 2, size - 2);
    if (output[raw] != 0x5A) abort();
  }

  const size_t n = size < qtr::kLz77BlockSize ? size : qtr::kLz77BlockSize;
  std::vector<uint8_t> coded(n + qtr::kLz77OutputSlack);
  const int length = coder.Compress(data, n, coded.data(), coded.size());
  if (length < 0 || (length > 0 && static_cast<size_t>(length) >= n)) abort();
  if (length > 0) {
    std::vector<uint8_t> back(n);
    if (coder.Decompress(back.data(), n, coded.data(), static_cast<size_t>(length)) != 1) abort();
    if (std::memcmp(back.data(), data, n) != 0) abort();
  }
  return 0;
}
