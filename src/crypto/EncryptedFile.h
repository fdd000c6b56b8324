// The encrypted form of a stored file: a header, then AES-256-GCM chunks.
//
//   header, version 2 (104 bytes): "QTRX", version (u16), inner form (u16:
//     0 = the source's bytes, 1 = an LZ77 container of them), chunk size
//     (u32), reserved (u32), file id (16 random bytes), source size (u64),
//     source last-write time (u64), the store key's salt (16) and iteration
//     count (u32), reserved (u32), place (16: what binds the file to the
//     stored path it was written for), tag (16) over the 88 bytes before it
//   header, version 1 (64 bytes, still read): the first 48 bytes, then the tag
//   chunks: cipher text (chunk size bytes; the last one 0..chunk size) + tag
//
// Every file has its own key, SHA-256 of the store key and the file id, so a
// chunk counter alone is a nonce never used twice under one key. Each chunk's
// authenticated data is the header before its tag, its index and whether it
// is the last one: a truncated, reordered, altered or spliced file, or a
// header moved to another file, fails authentication. Numbers little-endian.
//
// The salt and iteration count are readable without the key, so that any
// one encrypted file can turn the password into the store key again. The
// place is opaque here: the store computes it from the key and the path.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "crypto/AesGcm.h"
#include "crypto/KeyCheck.h"
#include "platform/FileSystem.h"

namespace qtr {

// The header of the files written now (version 2); version 1's was 64 bytes.
inline constexpr size_t kEncryptedHeaderSize = 104;
inline constexpr size_t kEncryptedPlaceSize = 16;
inline constexpr uint32_t kEncryptedChunkSize = 64 * 1024;
// ERROR_INVALID_DATA: the file is damaged, altered or under another key.
inline constexpr uint32_t kErrorNotAuthentic = 13;

// What the copy pass compares for a changed-only backup, and what a restore
// needs to read the file without its store index: whether the bytes inside
// are a compressed container (a person's own "a.zip" and "a" compressed are
// both stored as "a.zip.qtrx"; the authenticated flag tells them apart).
struct EncryptedFileInfo {
  uint64_t sourceSize = 0;  // the source's size, before any compression
  uint64_t lastWrite = 0;
  bool containerInside = false;
  bool operator==(const EncryptedFileInfo&) const = default;
};

// What ties a file to its store and its place, besides the key: written
// into every new header and authenticated with it. A version 1 file has
// none of it (version 1, all zero).
struct EncryptedFileOrigin {
  uint16_t version = 2;
  uint8_t fileId[16] = {};  // random, set by the writer
  KeyParameters parameters;
  uint8_t place[kEncryptedPlaceSize] = {};
};

// Reads and authenticates the header only (the body is not read); *origin
// (when given) is set too.
uint32_t ReadEncryptedInfo(File& file, const uint8_t (&storeKey)[kAesKeySize], EncryptedFileInfo* info,
                           EncryptedFileOrigin* origin = nullptr);

// The salt and iteration count a version 2 header carries, read without the
// key (so not authenticated: the key they give is checked by opening a file
// with it). kErrorNotSupported for a version 1 file, kErrorNotAuthentic for
// one that is no encrypted file.
uint32_t ReadEncryptedKeyParameters(File& file, KeyParameters* parameters);

// A sink to write plain bytes into (the container writer's destination, or a
// plain copy): it writes the encrypted form to target. Finish seals the last
// chunk; a file left without Finish does not authenticate.
class EncryptingFile final : public File {
 public:
  // Null, with *error set, when the random generator or the library failed.
  static std::unique_ptr<EncryptingFile> Create(File& target, const uint8_t (&storeKey)[kAesKeySize],
                                                const EncryptedFileInfo& info, uint32_t* error,
                                                uint32_t chunkSize = kEncryptedChunkSize,
                                                const EncryptedFileOrigin& origin = {});
  uint32_t Finish();
  // The origin as written, with the file id the writer drew.
  const EncryptedFileOrigin& Origin() const { return origin_; }

  uint32_t Write(const void* buffer, size_t size) override;
  uint32_t Read(void*, size_t, size_t*) override { return kErrorNotSupported; }
  uint32_t Seek(uint64_t) override { return kErrorNotSupported; }
  uint32_t Size(uint64_t* size) override;
  uint32_t GetInfo(FindEntry* info) override { return target_.GetInfo(info); }
  uint32_t SetTimesAndAttributes(const FileTimes& t, uint32_t a) override {
    return target_.SetTimesAndAttributes(t, a);
  }
  uint32_t SetCompression(bool) override { return 0; }
  uint32_t Flush() override { return target_.Flush(); }
  uint32_t RenameTo(std::u16string_view path) override { return target_.RenameTo(path); }

 private:
  EncryptingFile(File& target, std::unique_ptr<AesGcm> gcm, const uint8_t* header, uint32_t chunkSize,
                 const EncryptedFileOrigin& origin);
  uint32_t SealChunk(bool last);

  File& target_;
  std::unique_ptr<AesGcm> gcm_;
  uint8_t header_[kEncryptedHeaderSize];
  EncryptedFileOrigin origin_;
  uint32_t chunkSize_;
  std::vector<uint8_t> plain_, record_;
  uint64_t chunkIndex_ = 0, written_ = 0;
  uint32_t failed_ = 0;
  bool finished_ = false;
};

// A source of the plain bytes of an encrypted file: Read hands out only
// bytes of chunks that authenticated, and fails (kErrorNotAuthentic) at the
// first one that does not, or when the file ends before its last chunk.
class DecryptingFile final : public File {
 public:
  static std::unique_ptr<DecryptingFile> Open(File& source, const uint8_t (&storeKey)[kAesKeySize],
                                              uint32_t* error);
  const EncryptedFileInfo& Info() const { return info_; }
  const EncryptedFileOrigin& Origin() const { return origin_; }
  // How many plain bytes (the container's, when one is inside) an encrypted
  // file of encryptedSize bytes holds: what its chunks hold once their tags
  // and the header are taken away. The file's authentication still decides
  // whether they are its real bytes.
  uint64_t InnerSize(uint64_t encryptedSize) const;

  uint32_t Read(void* buffer, size_t size, size_t* got) override;
  uint32_t Write(const void*, size_t) override { return kErrorNotSupported; }
  uint32_t Seek(uint64_t) override { return kErrorNotSupported; }
  // The source size the header records.
  uint32_t Size(uint64_t* size) override;
  uint32_t GetInfo(FindEntry*) override { return kErrorNotSupported; }
  uint32_t SetTimesAndAttributes(const FileTimes&, uint32_t) override { return kErrorNotSupported; }
  uint32_t SetCompression(bool) override { return kErrorNotSupported; }
  uint32_t Flush() override { return 0; }
  uint32_t RenameTo(std::u16string_view) override { return kErrorNotSupported; }

 private:
  DecryptingFile(File& source, std::unique_ptr<AesGcm> gcm, const uint8_t* header, size_t headerSize,
                 uint32_t chunkSize, const EncryptedFileInfo& info, const EncryptedFileOrigin& origin);
  uint32_t OpenNextChunk();

  File& source_;
  std::unique_ptr<AesGcm> gcm_;
  uint8_t header_[kEncryptedHeaderSize];
  size_t headerSize_;
  uint32_t chunkSize_;
  EncryptedFileInfo info_;
  EncryptedFileOrigin origin_;
  std::vector<uint8_t> record_, plain_;
  size_t recordFill_ = 0, plainPos_ = 0;
  uint64_t chunkIndex_ = 0;
  uint32_t failed_ = 0;
  bool done_ = false;
};

}  // namespace qtr
