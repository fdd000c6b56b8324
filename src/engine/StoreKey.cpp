#include "engine/StoreKey.h"

#include <cstring>
#include <memory>
#include <vector>

#include "crypto/KeyCheck.h"
#include "engine/StoreLayout.h"

namespace qtr {
namespace {

// The key check file is 96 bytes; anything much larger is not one, and is
// not read whole into memory.
constexpr size_t kMaxKeyCheckSize = 4096;

uint32_t ReadKeyCheck(FileSystem& fs, const std::u16string& path, std::vector<uint8_t>* bytes) {
  std::unique_ptr<File> file;
  if (const uint32_t error = fs.Open(path, OpenMode::kReadExisting, &file)) return error;
  bytes->clear();
  uint8_t buffer[512];
  for (;;) {
    size_t got = 0;
    if (const uint32_t error = file->Read(buffer, sizeof buffer, &got)) return error;
    if (got == 0) return 0;
    bytes->insert(bytes->end(), buffer, buffer + got);
    if (bytes->size() > kMaxKeyCheckSize) return 0;  // damaged: OpenKeyCheck refuses the size
  }
}

// Written under a partial name, made durable, then renamed: a cut at any
// step leaves either no key check file or the whole one, never a torn one
// that would make every encrypted file of the store unreadable.
uint32_t WriteKeyCheck(FileSystem& fs, std::u16string_view storeRoot, const std::vector<uint8_t>& bytes) {
  const uint32_t made = fs.CreateFolder(storeRoot);
  if (made != 0 && made != kErrorAlreadyExists) return made;
  const std::u16string path = JoinPath(storeRoot, kKeyCheckFileName);
  const std::u16string partial = path + std::u16string(kPartialSuffix);
  fs.RemoveFile(partial);  // what an earlier, cut-short creation left
  uint32_t error = 0;
  {
    std::unique_ptr<File> file;
    error = fs.Open(partial, OpenMode::kWriteNew, &file);
    if (error != 0) return error;
    error = file->Write(bytes.data(), bytes.size());
    if (error == 0) error = file->Flush();
  }
  if (error == 0) {
    // kWriteNew semantics for the final name: never replace a key check
    // file another job made meanwhile.
    FindEntry existing;
    if (fs.Find(path, &existing) == 0) error = kErrorAlreadyExists;
  }
  if (error == 0) error = fs.Rename(partial, path);
  if (error != 0) fs.RemoveFile(partial);
  return error;
}

StoreKeyResult FromKeyCheck(KeyCheckResult result) {
  switch (result) {
    case KeyCheckResult::kOk: return StoreKeyResult::kOk;
    case KeyCheckResult::kWrongPassword: return StoreKeyResult::kWrongPassword;
    case KeyCheckResult::kDamaged: return StoreKeyResult::kDamaged;
    case KeyCheckResult::kLibraryFailed: break;
  }
  return StoreKeyResult::kFailed;
}

}  // namespace

StoreKeyResult OpenStoreKey(FileSystem& fs, std::u16string_view storeRoot, std::string_view password,
                            bool create, StoreKey* key, uint32_t* error) {
  uint32_t ignored = 0;
  if (error == nullptr) error = &ignored;
  *error = 0;
  const std::u16string path = JoinPath(storeRoot, kKeyCheckFileName);
  std::vector<uint8_t> bytes;
  uint32_t readError = ReadKeyCheck(fs, path, &bytes);
  if (readError == kErrorFileNotFound || readError == kErrorPathNotFound) {
    if (!create) return StoreKeyResult::kNotEncrypted;
    StoreKey made;
    const KeyCheckResult result = CreateKeyCheck(password, kMinKeyIterations, &bytes, made.bytes, &made.parameters);
    if (result != KeyCheckResult::kOk) {
      *error = kErrorNotSupported;
      return StoreKeyResult::kFailed;
    }
    const uint32_t written = WriteKeyCheck(fs, storeRoot, bytes);
    if (written == 0) {
      *key = made;
      return StoreKeyResult::kOk;
    }
    if (written != kErrorAlreadyExists) {
      *error = written;
      return StoreKeyResult::kFailed;
    }
    // Another job made the store's key check file first: its key is the
    // store's, so open that one with the password.
    readError = ReadKeyCheck(fs, path, &bytes);
  }
  if (readError != 0) {
    *error = readError;
    return StoreKeyResult::kFailed;
  }
  StoreKey opened;
  const StoreKeyResult result = FromKeyCheck(OpenKeyCheck(bytes, password, opened.bytes, &opened.parameters));
  if (result == StoreKeyResult::kOk) *key = opened;
  if (result == StoreKeyResult::kFailed) *error = kErrorNotSupported;
  if (result == StoreKeyResult::kDamaged) *error = kErrorInvalidData;
  std::memset(opened.bytes, 0, sizeof opened.bytes);
  return result;
}

bool StoreHasKeyCheck(FileSystem& fs, std::u16string_view storeRoot) {
  FindEntry entry;
  return fs.Find(JoinPath(storeRoot, kKeyCheckFileName), &entry) == 0 && !entry.IsFolder();
}

}  // namespace qtr
