#include "crypto/EncryptedFile.h"

#include <cstring>

#include "crypto/LittleEndian.h"
#include "crypto/Sha256.h"
#include "crypto/SystemRandom.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

constexpr uint8_t kMagic[4] = {'Q', 'T', 'R', 'X'};
constexpr uint16_t kVersion1 = 1, kVersion2 = 2;
// The signed part of a version 1 header; version 2 adds the origin after it.
constexpr size_t kSignedHeaderSize1 = 48;
constexpr size_t kSignedHeaderSize2 = kEncryptedHeaderSize - kGcmTagSize;
constexpr size_t kHeaderSize1 = kSignedHeaderSize1 + kGcmTagSize;
constexpr size_t kSaltAt = 48, kIterationsAt = 64, kPlaceAt = 72;
constexpr uint32_t kMaxChunkSize = 16 * 1024 * 1024;
constexpr uint16_t kInnerPlain = 0, kInnerContainer = 1;
// The header's tag uses the nonce no chunk can reach.
constexpr uint64_t kHeaderNonce = UINT64_MAX;

void NonceOf(uint64_t counter, uint8_t (&nonce)[kGcmNonceSize]) {
  std::memset(nonce, 0, sizeof nonce);
  PutLittleEndian(nonce, counter, 8);
}

// The signed header, the chunk's index and whether it is the last one; the
// size of what it filled in.
size_t ChunkAad(const uint8_t* header, size_t signedSize, uint64_t index, bool last,
                uint8_t (&aad)[kSignedHeaderSize2 + 9]) {
  std::memcpy(aad, header, signedSize);
  PutLittleEndian(aad + signedSize, index, 8);
  aad[signedSize + 8] = last ? 1 : 0;
  return signedSize + 9;
}

// The file's own key: SHA-256 over a label, the store key and the file id.
std::unique_ptr<AesGcm> FileCipher(const uint8_t (&storeKey)[kAesKeySize], const uint8_t* fileId) {
  static constexpr char kLabel[] = "qtr file key v1";
  Sha256 hash;
  hash.Update(kLabel, sizeof kLabel);
  hash.Update(storeKey, kAesKeySize);
  hash.Update(fileId, 16);
  Sha256Digest digest = hash.Finish();
  if (!hash.Ok()) return nullptr;
  uint8_t key[kAesKeySize];
  std::memcpy(key, digest.data(), sizeof key);
  auto gcm = AesGcm::Create(key);
  std::memset(key, 0, sizeof key);
  digest.fill(0);
  return gcm;
}

uint32_t ReadFull(File& file, uint8_t* buffer, size_t size, size_t* got) {
  *got = 0;
  while (*got < size) {
    size_t n = 0;
    if (uint32_t error = file.Read(buffer + *got, size - *got, &n)) return error;
    if (n == 0) break;
    *got += n;
  }
  return 0;
}

// Reads the header of either version (its size in *headerSize) and checks
// its tag; the cipher is the file's own.
uint32_t OpenHeader(File& file, const uint8_t (&storeKey)[kAesKeySize], uint8_t* header, size_t* headerSize,
                    std::unique_ptr<AesGcm>* gcm, uint32_t* chunkSize, EncryptedFileInfo* info,
                    EncryptedFileOrigin* origin) {
  size_t got = 0;
  if (uint32_t error = ReadFull(file, header, kHeaderSize1, &got)) return error;
  if (got != kHeaderSize1 || std::memcmp(header, kMagic, 4) != 0) return kErrorNotAuthentic;
  const uint64_t version = GetLittleEndian(header + 4, 2);
  if (version != kVersion1 && version != kVersion2) return kErrorNotAuthentic;
  *headerSize = version == kVersion1 ? kHeaderSize1 : kEncryptedHeaderSize;
  if (version == kVersion2) {
    if (uint32_t error = ReadFull(file, header + kHeaderSize1, kEncryptedHeaderSize - kHeaderSize1, &got))
      return error;
    if (got != kEncryptedHeaderSize - kHeaderSize1) return kErrorNotAuthentic;
  }
  const size_t signedSize = *headerSize - kGcmTagSize;
  *chunkSize = static_cast<uint32_t>(GetLittleEndian(header + 8, 4));
  if (*chunkSize == 0 || *chunkSize > kMaxChunkSize) return kErrorNotAuthentic;
  *gcm = FileCipher(storeKey, header + 16);
  if (!*gcm) return kErrorNotEnoughMemory;
  uint8_t nonce[kGcmNonceSize], tag[kGcmTagSize], none = 0;
  NonceOf(kHeaderNonce, nonce);
  std::memcpy(tag, header + signedSize, kGcmTagSize);
  if (!(*gcm)->Open(nonce, header, signedSize, &none, 0, tag, &none)) return kErrorNotAuthentic;
  // Authenticated, so written by a writer of this format: an inner form it
  // does not know is a newer one, which this reader cannot decode.
  const uint64_t inner = GetLittleEndian(header + 6, 2);
  if (inner != kInnerPlain && inner != kInnerContainer) return kErrorNotSupported;
  info->containerInside = inner == kInnerContainer;
  info->sourceSize = GetLittleEndian(header + 32, 8);
  info->lastWrite = GetLittleEndian(header + 40, 8);
  *origin = EncryptedFileOrigin{};
  origin->version = static_cast<uint16_t>(version);
  std::memcpy(origin->fileId, header + 16, sizeof origin->fileId);
  if (version == kVersion2) {
    std::memcpy(origin->parameters.salt, header + kSaltAt, kKeySaltSize);
    origin->parameters.iterations = static_cast<uint32_t>(GetLittleEndian(header + kIterationsAt, 4));
    std::memcpy(origin->place, header + kPlaceAt, kEncryptedPlaceSize);
  }
  return 0;
}

}  // namespace

uint32_t ReadEncryptedInfo(File& file, const uint8_t (&storeKey)[kAesKeySize], EncryptedFileInfo* info,
                           EncryptedFileOrigin* origin) {
  uint8_t header[kEncryptedHeaderSize];
  size_t headerSize = 0;
  std::unique_ptr<AesGcm> gcm;
  uint32_t chunkSize = 0;
  EncryptedFileOrigin unused;
  return OpenHeader(file, storeKey, header, &headerSize, &gcm, &chunkSize, info, origin ? origin : &unused);
}

uint32_t ReadEncryptedKeyParameters(File& file, KeyParameters* parameters) {
  uint8_t header[kEncryptedHeaderSize];
  size_t got = 0;
  if (uint32_t error = ReadFull(file, header, sizeof header, &got)) return error;
  if (got < 6 || std::memcmp(header, kMagic, 4) != 0) return kErrorNotAuthentic;
  const uint64_t version = GetLittleEndian(header + 4, 2);
  if (version == kVersion1) return kErrorNotSupported;
  if (version != kVersion2 || got != sizeof header) return kErrorNotAuthentic;
  std::memcpy(parameters->salt, header + kSaltAt, kKeySaltSize);
  parameters->iterations = static_cast<uint32_t>(GetLittleEndian(header + kIterationsAt, 4));
  return 0;
}

std::unique_ptr<EncryptingFile> EncryptingFile::Create(File& target, const uint8_t (&storeKey)[kAesKeySize],
                                                       const EncryptedFileInfo& info, uint32_t* error,
                                                       uint32_t chunkSize,
                                                       const EncryptedFileOrigin& origin) {
  if (chunkSize == 0 || chunkSize > kMaxChunkSize) {
    *error = kErrorInvalidParameter;
    return nullptr;
  }
  uint8_t header[kEncryptedHeaderSize] = {};
  std::memcpy(header, kMagic, 4);
  PutLittleEndian(header + 4, kVersion2, 2);
  PutLittleEndian(header + 6, info.containerInside ? kInnerContainer : kInnerPlain, 2);
  PutLittleEndian(header + 8, chunkSize, 4);
  if (!FillRandom(header + 16, 16)) {
    *error = kErrorNotEnoughMemory;
    return nullptr;
  }
  PutLittleEndian(header + 32, info.sourceSize, 8);
  PutLittleEndian(header + 40, info.lastWrite, 8);
  std::memcpy(header + kSaltAt, origin.parameters.salt, kKeySaltSize);
  PutLittleEndian(header + kIterationsAt, origin.parameters.iterations, 4);
  std::memcpy(header + kPlaceAt, origin.place, kEncryptedPlaceSize);
  EncryptedFileOrigin written = origin;
  written.version = kVersion2;
  std::memcpy(written.fileId, header + 16, sizeof written.fileId);
  std::unique_ptr<AesGcm> gcm = FileCipher(storeKey, header + 16);
  uint8_t nonce[kGcmNonceSize], tag[kGcmTagSize], none = 0;
  NonceOf(kHeaderNonce, nonce);
  if (!gcm || !gcm->Seal(nonce, header, kSignedHeaderSize2, &none, 0, &none, tag)) {
    *error = kErrorNotEnoughMemory;
    return nullptr;
  }
  std::memcpy(header + kSignedHeaderSize2, tag, kGcmTagSize);
  if ((*error = target.Write(header, sizeof header)) != 0) return nullptr;
  return std::unique_ptr<EncryptingFile>(
      new EncryptingFile(target, std::move(gcm), header, chunkSize, written));
}

EncryptingFile::EncryptingFile(File& target, std::unique_ptr<AesGcm> gcm, const uint8_t* header,
                               uint32_t chunkSize, const EncryptedFileOrigin& origin)
    : target_(target), gcm_(std::move(gcm)), origin_(origin), chunkSize_(chunkSize) {
  std::memcpy(header_, header, sizeof header_);
  plain_.reserve(chunkSize);
  record_.resize(chunkSize + kGcmTagSize);
}

uint32_t EncryptingFile::SealChunk(bool last) {
  uint8_t nonce[kGcmNonceSize], aad[kSignedHeaderSize2 + 9], tag[kGcmTagSize];
  NonceOf(chunkIndex_, nonce);
  const size_t aadSize = ChunkAad(header_, kSignedHeaderSize2, chunkIndex_, last, aad);
  if (!gcm_->Seal(nonce, aad, aadSize, plain_.data(), plain_.size(), record_.data(), tag))
    return failed_ = kErrorNotEnoughMemory;
  std::memcpy(record_.data() + plain_.size(), tag, kGcmTagSize);
  if (uint32_t error = target_.Write(record_.data(), plain_.size() + kGcmTagSize)) return failed_ = error;
  ++chunkIndex_;
  plain_.clear();
  return 0;
}

uint32_t EncryptingFile::Write(const void* buffer, size_t size) {
  if (failed_) return failed_;
  if (finished_) return kErrorInvalidFunction;
  auto* bytes = static_cast<const uint8_t*>(buffer);
  while (size > 0) {
    // A full chunk is sealed only when more data follows: the last chunk is
    // known only at Finish.
    if (plain_.size() == chunkSize_)
      if (uint32_t error = SealChunk(false)) return error;
    size_t n = std::min<size_t>(size, chunkSize_ - plain_.size());
    plain_.insert(plain_.end(), bytes, bytes + n);
    bytes += n;
    size -= n;
    written_ += n;
  }
  return 0;
}

uint32_t EncryptingFile::Finish() {
  if (failed_) return failed_;
  if (finished_) return 0;
  if (uint32_t error = SealChunk(true)) return error;
  finished_ = true;
  return 0;
}

uint32_t EncryptingFile::Size(uint64_t* size) {
  *size = written_;
  return 0;
}

std::unique_ptr<DecryptingFile> DecryptingFile::Open(File& source, const uint8_t (&storeKey)[kAesKeySize],
                                                     uint32_t* error) {
  uint8_t header[kEncryptedHeaderSize];
  size_t headerSize = 0;
  std::unique_ptr<AesGcm> gcm;
  uint32_t chunkSize = 0;
  EncryptedFileInfo info;
  EncryptedFileOrigin origin;
  if ((*error = OpenHeader(source, storeKey, header, &headerSize, &gcm, &chunkSize, &info, &origin)) != 0)
    return nullptr;
  return std::unique_ptr<DecryptingFile>(
      new DecryptingFile(source, std::move(gcm), header, headerSize, chunkSize, info, origin));
}

DecryptingFile::DecryptingFile(File& source, std::unique_ptr<AesGcm> gcm, const uint8_t* header,
                               size_t headerSize, uint32_t chunkSize, const EncryptedFileInfo& info,
                               const EncryptedFileOrigin& origin)
    : source_(source),
      gcm_(std::move(gcm)),
      headerSize_(headerSize),
      chunkSize_(chunkSize),
      info_(info),
      origin_(origin) {
  std::memcpy(header_, header, headerSize);
  // One byte beyond a full record tells whether another chunk follows.
  record_.resize(chunkSize + kGcmTagSize + 1);
  plain_.reserve(chunkSize);
}

uint32_t DecryptingFile::OpenNextChunk() {
  const size_t full = chunkSize_ + kGcmTagSize;
  size_t got = 0;
  if (uint32_t error = ReadFull(source_, record_.data() + recordFill_, record_.size() - recordFill_, &got))
    return failed_ = error;
  recordFill_ += got;
  bool last = recordFill_ <= full;
  size_t size = last ? recordFill_ : full;
  if (size < kGcmTagSize) return failed_ = kErrorNotAuthentic;
  size_t plainSize = size - kGcmTagSize;
  uint8_t nonce[kGcmNonceSize], aad[kSignedHeaderSize2 + 9], tag[kGcmTagSize];
  NonceOf(chunkIndex_, nonce);
  const size_t aadSize = ChunkAad(header_, headerSize_ - kGcmTagSize, chunkIndex_, last, aad);
  std::memcpy(tag, record_.data() + plainSize, kGcmTagSize);
  plain_.resize(plainSize);
  if (!gcm_->Open(nonce, aad, aadSize, record_.data(), plainSize, tag, plain_.data())) {
    plain_.clear();
    return failed_ = kErrorNotAuthentic;
  }
  plainPos_ = 0;
  ++chunkIndex_;
  if (last) {
    done_ = true;
    recordFill_ = 0;
  } else {
    record_[0] = record_[full];
    recordFill_ = 1;
  }
  return 0;
}

uint32_t DecryptingFile::Read(void* buffer, size_t size, size_t* got) {
  *got = 0;
  if (failed_) return failed_;
  while (plainPos_ == plain_.size() && !done_)
    if (uint32_t error = OpenNextChunk()) return error;
  size_t n = std::min(size, plain_.size() - plainPos_);
  std::memcpy(buffer, plain_.data() + plainPos_, n);
  plainPos_ += n;
  *got = n;
  return 0;
}

uint64_t DecryptingFile::InnerSize(uint64_t encryptedSize) const {
  if (encryptedSize < headerSize_ + kGcmTagSize) return 0;
  const uint64_t body = encryptedSize - headerSize_;
  const uint64_t record = uint64_t{chunkSize_} + kGcmTagSize;
  // Every chunk but the last is full; the last holds 0..chunk size bytes.
  const uint64_t chunks = (body + record - 1) / record;
  return body - chunks * kGcmTagSize;
}

uint32_t DecryptingFile::Size(uint64_t* size) {
  *size = info_.sourceSize;
  return 0;
}

}  // namespace qtr
