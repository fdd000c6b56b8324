#include "crypto/EncryptedFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Hex.h"
#include "support/MemoryFileSystem.h"

namespace qtr {
namespace {

constexpr uint32_t kSmallChunk = 16;

class EncryptedFileTest : public ::testing::Test {
 protected:
  EncryptedFileTest() {
    fs_.AddVolume(u'C', MemoryFileSystem::Kind::kNtfs);
    for (size_t i = 0; i < kAesKeySize; ++i) key_[i] = static_cast<uint8_t>(i * 3 + 1);
  }

  std::string Encrypt(const std::string& plain, EncryptedFileInfo info = {7, 42},
                      uint32_t chunk = kSmallChunk, const EncryptedFileOrigin& origin = {}) {
    std::unique_ptr<File> target;
    EXPECT_EQ(fs_.Open(u"C:\\e", OpenMode::kWriteTruncate, &target), 0u);
    uint32_t error = 0;
    auto sink = EncryptingFile::Create(*target, key_, info, &error, chunk, origin);
    EXPECT_TRUE(sink) << error;
    // Written in uneven pieces, as a container writer would.
    for (size_t at = 0; at < plain.size(); at += 5)
      EXPECT_EQ(sink->Write(plain.data() + at, std::min<size_t>(5, plain.size() - at)), 0u);
    EXPECT_EQ(sink->Finish(), 0u);
    return Contents(*target);
  }

  std::string Contents(File& file) {
    uint64_t size = 0;
    file.Size(&size);
    file.Seek(0);
    std::string bytes(size, '\0');
    size_t got = 0;
    if (size > 0) file.Read(bytes.data(), bytes.size(), &got);
    return bytes;
  }

  std::unique_ptr<File> FileOf(const std::string& bytes) {
    std::unique_ptr<File> file;
    EXPECT_EQ(fs_.Open(u"C:\\h", OpenMode::kWriteTruncate, &file), 0u);
    file->Write(bytes.data(), bytes.size());
    file->Seek(0);
    return file;
  }

  // The plain text, or the error the decryption stopped with.
  uint32_t Decrypt(const std::string& encrypted, std::string* plain) {
    std::unique_ptr<File> source;
    EXPECT_EQ(fs_.Open(u"C:\\d", OpenMode::kWriteTruncate, &source), 0u);
    if (!encrypted.empty()) source->Write(encrypted.data(), encrypted.size());
    source->Seek(0);
    uint32_t error = 0;
    auto reader = DecryptingFile::Open(*source, key_, &error);
    if (!reader) return error;
    plain->clear();
    char buffer[7];
    for (;;) {
      size_t got = 0;
      if ((error = reader->Read(buffer, sizeof buffer, &got)) != 0) return error;
      if (got == 0) return 0;
      plain->append(buffer, got);
    }
  }

  static std::string Text(size_t size) {
    std::string text;
    for (size_t i = 0; i < size; ++i) text += static_cast<char>('a' + (i * 7) % 26);
    return text;
  }

  MemoryFileSystem fs_;
  uint8_t key_[kAesKeySize];
};

constexpr size_t kHeader = kEncryptedHeaderSize;
constexpr size_t kRecord = kSmallChunk + kGcmTagSize;

TEST_F(EncryptedFileTest, RoundTripsOfEmptyOneByteChunkBoundaryAndManyChunks) {
  for (size_t size : {0, 1, 15, 16, 17, 32, 33, 200}) {
    std::string plain = Text(size), back;
    std::string encrypted = Encrypt(plain);
    EXPECT_EQ(Decrypt(encrypted, &back), 0u) << size;
    EXPECT_EQ(back, plain) << size;
    if (size >= 8) {
      EXPECT_EQ(encrypted.find(plain.substr(0, 8)), std::string::npos) << "plain text on disk";
    }
  }
  // The default chunk size too, with a last chunk that is not full.
  std::string plain = Text(3 * kEncryptedChunkSize + 11), back;
  EXPECT_EQ(Decrypt(Encrypt(plain, {}, kEncryptedChunkSize), &back), 0u);
  EXPECT_EQ(back, plain);
}

TEST_F(EncryptedFileTest, SameInputEncryptsDifferentlyEachTime) {
  EXPECT_NE(Encrypt(Text(40)), Encrypt(Text(40)));
}

TEST_F(EncryptedFileTest, HeaderInfoIsReadAndAuthenticatedWithoutTheBody) {
  std::string encrypted = Encrypt(Text(100), {123456789012ull, 133000000000000000ull});
  std::unique_ptr<File> file;
  ASSERT_EQ(fs_.Open(u"C:\\h", OpenMode::kWriteTruncate, &file), 0u);
  file->Write(encrypted.data(), kHeader);  // the body is not even there
  file->Seek(0);
  EncryptedFileInfo info;
  ASSERT_EQ(ReadEncryptedInfo(*file, key_, &info), 0u);
  EXPECT_EQ(info, (EncryptedFileInfo{123456789012ull, 133000000000000000ull}));

  encrypted[33] ^= 1;  // the recorded size
  file->Seek(0);
  file->Write(encrypted.data(), kHeader);
  file->Seek(0);
  EXPECT_EQ(ReadEncryptedInfo(*file, key_, &info), kErrorNotAuthentic);
}

TEST_F(EncryptedFileTest, InnerFormIsAuthenticatedAndAnUnknownOneRefused) {
  std::string encrypted = Encrypt("PK-looking bytes", {16, 9, true});
  EXPECT_EQ(encrypted[6], 1);
  EXPECT_EQ(encrypted[7], 0);
  std::unique_ptr<File> file;
  ASSERT_EQ(fs_.Open(u"C:\\h", OpenMode::kWriteTruncate, &file), 0u);
  const auto infoOf = [&](const std::string& bytes, EncryptedFileInfo* info) {
    file->Seek(0);
    file->Write(bytes.data(), kHeader);
    file->Seek(0);
    return ReadEncryptedInfo(*file, key_, info);
  };
  EncryptedFileInfo info;
  ASSERT_EQ(infoOf(encrypted, &info), 0u);
  EXPECT_TRUE(info.containerInside);
  // Flipping the flag (a person's "a.zip" passed off as "a" compressed) fails the header's tag.
  std::string flipped = encrypted;
  flipped[6] = 0;
  EXPECT_EQ(infoOf(flipped, &info), kErrorNotAuthentic);
  std::string back;
  EXPECT_EQ(Decrypt(flipped, &back), kErrorNotAuthentic);
}

TEST_F(EncryptedFileTest, InnerSizeComesFromTheFileSizeAtEveryChunkBoundary) {
  for (size_t size : {size_t{0}, size_t{1}, size_t{kSmallChunk - 1}, size_t{kSmallChunk}, size_t{kSmallChunk + 1},
                      size_t{3 * kSmallChunk}, size_t{3 * kSmallChunk + 7}}) {
    const std::string encrypted = Encrypt(Text(size));
    std::unique_ptr<File> source;
    ASSERT_EQ(fs_.Open(u"C:\\d", OpenMode::kWriteTruncate, &source), 0u);
    source->Write(encrypted.data(), encrypted.size());
    source->Seek(0);
    uint32_t error = 0;
    auto reader = DecryptingFile::Open(*source, key_, &error);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->InnerSize(encrypted.size()), size) << size;
  }
}

TEST_F(EncryptedFileTest, EverySingleBitFlipIsRejected) {
  std::string encrypted = Encrypt(Text(40)), back;
  for (size_t i = 0; i < encrypted.size() * 8; ++i) {
    std::string altered = encrypted;
    altered[i / 8] ^= static_cast<char>(1 << (i % 8));
    EXPECT_NE(Decrypt(altered, &back), 0u) << "bit " << i;
  }
}

TEST_F(EncryptedFileTest, TruncationReorderingAndAppendingAreRejected) {
  std::string encrypted = Encrypt(Text(4 * kSmallChunk + 3)), back;
  ASSERT_EQ(encrypted.size(), kHeader + 4 * kRecord + 3 + kGcmTagSize);
  // Cut at every chunk boundary, the header's end included, and mid-chunk.
  for (size_t cut = kHeader; cut < encrypted.size(); cut += kRecord) {
    EXPECT_EQ(Decrypt(encrypted.substr(0, cut), &back), kErrorNotAuthentic) << cut;
    EXPECT_EQ(Decrypt(encrypted.substr(0, cut + 5), &back), kErrorNotAuthentic) << cut + 5;
  }
  EXPECT_NE(Decrypt(encrypted.substr(0, kHeader - 1), &back), 0u);
  std::string swapped = encrypted;
  std::memcpy(&swapped[kHeader], &encrypted[kHeader + kRecord], kRecord);
  std::memcpy(&swapped[kHeader + kRecord], &encrypted[kHeader], kRecord);
  EXPECT_EQ(Decrypt(swapped, &back), kErrorNotAuthentic);
  EXPECT_EQ(Decrypt(encrypted + "x", &back), kErrorNotAuthentic);
  // A full last chunk cut off leaves a file that ends on a boundary.
  std::string whole = Encrypt(Text(2 * kSmallChunk));
  EXPECT_EQ(Decrypt(whole.substr(0, kHeader + kRecord), &back), kErrorNotAuthentic);
}

TEST_F(EncryptedFileTest, HeadersOrChunksMovedBetweenFilesAndOtherKeysAreRejected) {
  std::string a = Encrypt(Text(40)), b = Encrypt(Text(40)), back;
  EXPECT_EQ(Decrypt(b.substr(0, kHeader) + a.substr(kHeader), &back), kErrorNotAuthentic);
  EXPECT_EQ(Decrypt(a.substr(0, kHeader + kRecord) + b.substr(kHeader + kRecord), &back), kErrorNotAuthentic);
  key_[0] ^= 1;
  EXPECT_EQ(Decrypt(a, &back), kErrorNotAuthentic);
}

TEST_F(EncryptedFileTest, NoPlainBytesComeOutOfAChunkThatFailed) {
  std::string encrypted = Encrypt(Text(3 * kSmallChunk)), back;
  encrypted[kHeader + kRecord + 2] ^= 4;  // the second chunk
  EXPECT_EQ(Decrypt(encrypted, &back), kErrorNotAuthentic);
  EXPECT_EQ(back, Text(kSmallChunk));
}

TEST_F(EncryptedFileTest, OriginIsAuthenticatedAndTheKeyParametersReadableWithoutTheKey) {
  EncryptedFileOrigin origin;
  for (size_t i = 0; i < kKeySaltSize; ++i) origin.parameters.salt[i] = static_cast<uint8_t>(0xa0 + i);
  origin.parameters.iterations = 600001;
  for (size_t i = 0; i < kEncryptedPlaceSize; ++i) origin.place[i] = static_cast<uint8_t>(i);
  const std::string encrypted = Encrypt(Text(20), {20, 5}, kSmallChunk, origin);
  ASSERT_EQ(encrypted.size(), kHeader + 20 + 2 * kGcmTagSize);
  EXPECT_EQ(test::ToHex(encrypted.substr(4, 2)), "0200");

  EncryptedFileInfo info;
  EncryptedFileOrigin read;
  ASSERT_EQ(ReadEncryptedInfo(*FileOf(encrypted), key_, &info, &read), 0u);
  EXPECT_EQ(read.version, 2);
  EXPECT_EQ(std::memcmp(read.place, origin.place, kEncryptedPlaceSize), 0);
  EXPECT_EQ(std::memcmp(read.fileId, &encrypted[16], 16), 0);
  EXPECT_EQ(read.parameters.iterations, 600001u);

  KeyParameters parameters;
  ASSERT_EQ(ReadEncryptedKeyParameters(*FileOf(encrypted), &parameters), 0u);
  EXPECT_EQ(std::memcmp(parameters.salt, origin.parameters.salt, kKeySaltSize), 0);
  EXPECT_EQ(parameters.iterations, 600001u);
  EXPECT_EQ(ReadEncryptedKeyParameters(*FileOf("QTRX"), &parameters), kErrorNotAuthentic);

  // Salt, count and place are signed with the rest: none can be changed.
  std::string back;
  for (const size_t at : {size_t{48}, size_t{64}, size_t{72}, size_t{87}}) {
    std::string altered = encrypted;
    altered[at] ^= 1;
    EXPECT_EQ(ReadEncryptedInfo(*FileOf(altered), key_, &info), kErrorNotAuthentic) << at;
    EXPECT_EQ(Decrypt(altered, &back), kErrorNotAuthentic) << at;
  }
}

TEST_F(EncryptedFileTest, VersionOneFilesStillOpen) {
  // Written by the release before the header carried its origin: "PIN=4711\n",
  // source size 9, time 42, 16-byte chunks, under this fixture's key.
  const std::vector<uint8_t> v1 = test::FromHex(
      "51545258010000001000000000000000742a8daf6957d54d3ab61f65ef03872109000000000000002a000000000000007482"
      "1632a80030abf7966eb28d47d83d4f337a5688882b4603329d0ee6d978796f84801b89054a9c74");
  const std::string bytes(v1.begin(), v1.end());
  std::string back;
  ASSERT_EQ(Decrypt(bytes, &back), 0u);
  EXPECT_EQ(back, "PIN=4711\n");
  EncryptedFileInfo info;
  EncryptedFileOrigin origin;
  ASSERT_EQ(ReadEncryptedInfo(*FileOf(bytes), key_, &info, &origin), 0u);
  EXPECT_EQ(info, (EncryptedFileInfo{9, 42}));
  EXPECT_EQ(origin.version, 1);
  KeyParameters parameters;
  EXPECT_EQ(ReadEncryptedKeyParameters(*FileOf(bytes), &parameters), kErrorNotSupported);
  // Its inner size counts its own 64-byte header.
  uint32_t error = 0;
  std::unique_ptr<File> file = FileOf(bytes);
  auto reader = DecryptingFile::Open(*file, key_, &error);
  ASSERT_TRUE(reader) << error;
  EXPECT_EQ(reader->InnerSize(bytes.size()), 9u);
}

}  // namespace
}  // namespace qtr
