// Feeds arbitrary bytes to the decryptor: as a whole encrypted file, and as
// the body behind a genuine header. Then encrypts a plain text taken from
// the bytes, alters the result as the bytes say, and decrypts it: the
// decryptor must fail cleanly, or give exactly the plain text back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "crypto/EncryptedFile.h"
#include "support/MemoryFileSystem.h"

namespace {

const uint8_t kKey[qtr::kAesKeySize] = {1, 2, 3, 4, 5, 6, 7, 8, 9};

// The plain text of path, or the decryption error.
uint32_t Decrypt(qtr::MemoryFileSystem& fs, const std::u16string& path, std::string* plain) {
  std::unique_ptr<qtr::File> in;
  if (fs.Open(path, qtr::OpenMode::kReadExisting, &in) != 0) abort();
  uint32_t error = 0;
  auto reader = qtr::DecryptingFile::Open(*in, kKey, &error);
  if (!reader) return error;
  char buffer[100];
  for (;;) {
    size_t got = 0;
    if ((error = reader->Read(buffer, sizeof buffer, &got)) != 0) return error;
    if (got == 0) return 0;
    plain->append(buffer, got);
  }
}

std::string Encrypt(qtr::MemoryFileSystem& fs, const std::string& plain) {
  std::unique_ptr<qtr::File> out;
  if (fs.Open(u"C:\\e", qtr::OpenMode::kWriteTruncate, &out) != 0) abort();
  uint32_t error = 0;
  auto sink = qtr::EncryptingFile::Create(*out, kKey, {plain.size(), 0}, &error, 32);
  if (!sink || sink->Write(plain.data(), plain.size()) != 0 || sink->Finish() != 0) abort();
  std::string bytes;
  fs.GetFile(u"C:\\e", &bytes);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qtr::MemoryFileSystem fs;
  fs.AddVolume(u'C', qtr::MemoryFileSystem::Kind::kNtfs);
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string plain;
  fs.PutFile(u"C:\\raw", input);
  Decrypt(fs, u"C:\\raw", &plain);
  // The key parameters are read without the key, from any bytes.
  {
    std::unique_ptr<qtr::File> in;
    if (fs.Open(u"C:\\raw", qtr::OpenMode::kReadExisting, &in) != 0) abort();
    qtr::KeyParameters parameters;
    qtr::ReadEncryptedKeyParameters(*in, &parameters);
  }

  const std::string genuine = Encrypt(fs, std::string(size % 200, 'p'));
  fs.PutFile(u"C:\\body", genuine.substr(0, qtr::kEncryptedHeaderSize) + input);
  plain.clear();
  Decrypt(fs, u"C:\\body", &plain);

  // Each pair of input bytes is one change: flip a bit, or cut the file.
  const std::string text = input.substr(0, input.size() / 2);
  std::string altered = Encrypt(fs, text);
  for (size_t k = text.size(); k + 1 < size; k += 2) {
    if (altered.empty()) break;
    const size_t at = (static_cast<size_t>(data[k]) << 8 | data[k + 1]) % altered.size();
    if (data[k] & 0x80)
      altered.resize(at);
    else
      altered[at] ^= static_cast<char>(1 << (data[k + 1] & 7));
  }
  fs.PutFile(u"C:\\altered", altered);
  plain.clear();
  if (Decrypt(fs, u"C:\\altered", &plain) == 0 && plain != text) abort();
  return 0;
}
