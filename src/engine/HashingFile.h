// A File that passes every call to the file it wraps and hashes the bytes
// that go through it: those read on the source side of a copy, those
// written on the restore side. The coders stay as they are; a seek starts
// the hash over, so only a front-to-back pass gives a meaningful digest.
#pragma once
#include <memory>

#include "crypto/Sha256.h"
#include "platform/FileSystem.h"

namespace qtr {

class HashingFile : public File {
 public:
  enum class Side { kRead, kWrite };
  HashingFile(std::unique_ptr<File> inner, Side side);

  uint32_t Read(void* buffer, size_t size, size_t* got) override;
  uint32_t Write(const void* buffer, size_t size) override;
  uint32_t Seek(uint64_t offset) override;
  uint32_t Size(uint64_t* size) override { return inner_->Size(size); }
  uint32_t GetInfo(FindEntry* info) override { return inner_->GetInfo(info); }
  uint32_t SetTimesAndAttributes(const FileTimes& times, uint32_t attributes) override {
    return inner_->SetTimesAndAttributes(times, attributes);
  }
  uint32_t SetCompression(bool compressed) override { return inner_->SetCompression(compressed); }
  uint32_t Flush() override { return inner_->Flush(); }
  uint32_t RenameTo(std::u16string_view path) override { return inner_->RenameTo(path); }

  // The bytes hashed since the start (or the last seek).
  uint64_t Bytes() const { return bytes_; }
  // The digest so far; false when the hash library failed.
  bool Finish(Sha256Digest* digest);
  // Hands the wrapped file back.
  std::unique_ptr<File> Release() { return std::move(inner_); }

 private:
  std::unique_ptr<File> inner_;
  const Side side_;
  std::unique_ptr<Sha256> hash_;
  uint64_t bytes_ = 0;
};

}  // namespace qtr
