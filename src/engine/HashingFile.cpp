#include "engine/HashingFile.h"

namespace qtr {

HashingFile::HashingFile(std::unique_ptr<File> inner, Side side)
    : inner_(std::move(inner)), side_(side), hash_(std::make_unique<Sha256>()) {}

uint32_t HashingFile::Read(void* buffer, size_t size, size_t* got) {
  const uint32_t error = inner_->Read(buffer, size, got);
  if (error == 0 && side_ == Side::kRead && *got != 0) {
    hash_->Update(buffer, *got);
    bytes_ += *got;
  }
  return error;
}

uint32_t HashingFile::Write(const void* buffer, size_t size) {
  const uint32_t error = inner_->Write(buffer, size);
  if (error == 0 && side_ == Side::kWrite && size != 0) {
    hash_->Update(buffer, size);
    bytes_ += size;
  }
  return error;
}

uint32_t HashingFile::Seek(uint64_t offset) {
  const uint32_t error = inner_->Seek(offset);
  if (error == 0) {
    hash_ = std::make_unique<Sha256>();
    bytes_ = 0;
  }
  return error;
}

bool HashingFile::Finish(Sha256Digest* digest) {
  *digest = hash_->Finish();
  return hash_->Ok();
}

}  // namespace qtr
