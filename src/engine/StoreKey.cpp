#include "engine/StoreKey.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "crypto/KeyCheck.h"
#include "crypto/SystemRandom.h"
#include "crypto/WipeBytes.h"
#include "engine/StoreLayout.h"

namespace qtr {

StoreKey::StoreKey(StoreKey&& other) noexcept : parameters(other.parameters) {
  std::memcpy(bytes, other.bytes, sizeof bytes);
  WipeBytes(other.bytes, sizeof other.bytes);
}

StoreKey& StoreKey::operator=(StoreKey&& other) noexcept {
  if (this != &other) {
    std::memcpy(bytes, other.bytes, sizeof bytes);
    parameters = other.parameters;
    WipeBytes(other.bytes, sizeof other.bytes);
  }
  return *this;
}

StoreKey::~StoreKey() {
  WipeBytes(bytes, sizeof bytes);
}

StoreKey StoreKey::Duplicate() const {
  StoreKey copy;
  std::memcpy(copy.bytes, bytes, sizeof bytes);
  copy.parameters = parameters;
  return copy;
}

std::u16string KeyCheckPathOf(std::u16string_view storeRoot) {
  return JoinPath(storeRoot, kKeyCheckFileName);
}

std::u16string KeyCheckCopyPathOf(std::u16string_view storeRoot) {
  return JoinPath(JoinPath(storeRoot, kKeyCheckCopyFolder), kKeyCheckFileName);
}

namespace {

// The key check file is 96 bytes; anything much larger is not one, and is
// not read whole into memory.
constexpr size_t kMaxKeyCheckSize = 4096;

bool IsNotFound(uint32_t error) {
  return error == kErrorFileNotFound || error == kErrorPathNotFound;
}

// One copy of the key check as read.
struct KeyCheckCopy {
  std::u16string path;
  uint32_t readError = 0;
  std::vector<uint8_t> bytes;
  bool sound = false;

  bool Present() const { return !IsNotFound(readError); }
};

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
    if (bytes->size() > kMaxKeyCheckSize) return 0;  // damaged: the size is refused
  }
}

KeyCheckCopy ReadCopy(FileSystem& fs, std::u16string path) {
  KeyCheckCopy copy;
  copy.path = std::move(path);
  copy.readError = ReadKeyCheck(fs, copy.path, &copy.bytes);
  KeyParameters ignored;
  copy.sound = copy.readError == 0 && ReadKeyCheckParameters(copy.bytes, &ignored) == KeyCheckResult::kOk;
  return copy;
}

std::u16string PartialNameOf(const std::u16string& path) {
  uint8_t random[8] = {};
  FillRandom(random, sizeof random);
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  std::u16string name = path + u".";
  for (const uint8_t byte : random) {
    name += kHex[byte >> 4];
    name += kHex[byte & 15];
  }
  return name + std::u16string(kPartialSuffix);
}

// Written under a partial name of its own (created exclusively, so that two
// jobs never write into one file), made durable, then renamed: a cut at any
// step leaves either no key check file or the whole one, never a torn one.
// Without replace, a file another job put at path meanwhile is kept
// (kErrorAlreadyExists).
uint32_t PutKeyCheck(FileSystem& fs, std::u16string_view storeRoot, const std::u16string& path,
                     const std::vector<uint8_t>& bytes, bool replace) {
  uint32_t made = fs.CreateFolder(storeRoot);
  if (made != 0 && made != kErrorAlreadyExists) return made;
  const std::u16string folder = ParentOf(path);
  if (folder != storeRoot) {
    made = fs.CreateFolder(folder);
    if (made != 0 && made != kErrorAlreadyExists) return made;
    // Out of the way of a person browsing the disk: the copy is only there to be used when the first is gone.
    if (made == 0) fs.SetAttributes(folder, kAttributeDirectory | kAttributeHidden | kAttributeSystem);
  }
  const std::u16string partial = PartialNameOf(path);
  uint32_t error = 0;
  {
    std::unique_ptr<File> file;
    error = fs.Open(partial, OpenMode::kWriteNew, &file);
    if (error != 0) return error;
    error = file->Write(bytes.data(), bytes.size());
    if (error == 0) error = file->Flush();
  }
  if (error == 0 && !replace) {
    FindEntry existing;
    if (fs.Find(path, &existing) == 0) error = kErrorAlreadyExists;
  }
  if (error == 0) error = fs.Rename(partial, path);
  if (error != 0) fs.RemoveFile(partial);
  return error;
}

// Both copies from bytes, replacing what is there; the first failure.
uint32_t PutBothCopies(FileSystem& fs, std::u16string_view storeRoot, const std::vector<uint8_t>& bytes) {
  const uint32_t first = PutKeyCheck(fs, storeRoot, KeyCheckPathOf(storeRoot), bytes, true);
  const uint32_t second = PutKeyCheck(fs, storeRoot, KeyCheckCopyPathOf(storeRoot), bytes, true);
  return first != 0 ? first : second;
}

bool ListsEncryptedFile(FileSystem& fs, const std::u16string& folder) {
  std::unique_ptr<FolderListing> listing;
  if (fs.List(folder, &listing) != 0) return false;
  FindEntry entry;
  while (listing->Next(&entry)) {
    if (entry.IsLink()) continue;
    if (entry.IsFolder()) {
      if (ListsEncryptedFile(fs, JoinPath(folder, entry.name))) return true;
    } else if (EndsWithNoCase(entry.name, kEncryptedSuffix)) {
      return true;
    }
  }
  return false;
}

StoreKeyResult LibraryFailed(uint32_t* error) {
  *error = kErrorNotSupported;
  return StoreKeyResult::kFailed;
}

// The key from the salt and count an encrypted file carries, checked
// against that file; its key check written again when it opens the file.
StoreKeyResult Rebuild(FileSystem& fs, std::u16string_view storeRoot, std::string_view password,
                       const StoreKeyRebuild& rebuild, StoreKey* key, uint32_t* error) {
  KeyParameters parameters;
  if (!rebuild.findParameters(&parameters)) return StoreKeyResult::kLost;
  StoreKey rebuilt;
  std::vector<uint8_t> bytes;
  switch (MakeKeyCheck(password, parameters, &bytes, rebuilt.bytes)) {
    case KeyCheckResult::kOk: break;
    case KeyCheckResult::kLibraryFailed: return LibraryFailed(error);
    default: return StoreKeyResult::kLost;  // a count out of bounds: nothing to rebuild from
  }
  rebuilt.parameters = parameters;
  if (!rebuild.opens(rebuilt)) return StoreKeyResult::kWrongPassword;
  // The store is whole again; a failure here leaves it as lost as it was.
  PutBothCopies(fs, storeRoot, bytes);
  *key = std::move(rebuilt);
  return StoreKeyResult::kOk;
}

// Another job claimed the making of the store's key check: its copies
// follow within moments of its claim.
bool AnotherJobsKeyCheckCame(FileSystem& fs, std::u16string_view storeRoot) {
  for (int wait = 0; wait < 40; ++wait) {
    if (ReadCopy(fs, KeyCheckPathOf(storeRoot)).sound || ReadCopy(fs, KeyCheckCopyPathOf(storeRoot)).sound)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;  // a claim a cut-short creation left: taken over
}

StoreKeyResult CreateFirst(FileSystem& fs, std::u16string_view storeRoot, std::string_view password,
                           StoreKey* key, uint32_t* error, const StoreKeyRebuild& rebuild) {
  StoreKey made;
  std::vector<uint8_t> bytes;
  if (CreateKeyCheck(password, kMinKeyIterations, &bytes, made.bytes, &made.parameters) != KeyCheckResult::kOk)
    return LibraryFailed(error);
  // Creating the copy's folder is the one step only one job can win: the
  // winner writes the key check, a second first backup opens the winner's.
  uint32_t claim = fs.CreateFolder(storeRoot);
  if (claim != 0 && claim != kErrorAlreadyExists) {
    *error = claim;
    return StoreKeyResult::kFailed;
  }
  const std::u16string copyFolder = JoinPath(storeRoot, kKeyCheckCopyFolder);
  claim = fs.CreateFolder(copyFolder);
  if (claim == kErrorAlreadyExists && AnotherJobsKeyCheckCame(fs, storeRoot))
    return OpenStoreKey(fs, storeRoot, password, false, key, error, rebuild);
  if (claim == 0) fs.SetAttributes(copyFolder, kAttributeDirectory | kAttributeHidden | kAttributeSystem);
  const std::u16string path = KeyCheckPathOf(storeRoot);
  const uint32_t written = PutKeyCheck(fs, storeRoot, path, bytes, false);
  if (written != 0 && written != kErrorAlreadyExists) {
    if (claim == 0) fs.RemoveFolder(copyFolder);  // no claim left to wait for
    *error = written;
    return StoreKeyResult::kFailed;
  }
  std::vector<uint8_t> now;
  if (written == 0 && ReadKeyCheck(fs, path, &now) == 0 && now == bytes) {
    // The copy follows; when it fails, the next open puts it back.
    PutKeyCheck(fs, storeRoot, KeyCheckCopyPathOf(storeRoot), bytes, true);
    *key = std::move(made);
    return StoreKeyResult::kOk;
  }
  // Another job made the store's key check first: its key is the store's.
  return OpenStoreKey(fs, storeRoot, password, false, key, error, rebuild);
}

}  // namespace

StoreKeyResult OpenStoreKey(FileSystem& fs, std::u16string_view storeRoot, std::string_view password,
                            bool create, StoreKey* key, uint32_t* error, const StoreKeyRebuild& rebuild) {
  uint32_t ignored = 0;
  if (error == nullptr) error = &ignored;
  *error = 0;
  KeyCheckCopy copies[2] = {ReadCopy(fs, KeyCheckPathOf(storeRoot)), ReadCopy(fs, KeyCheckCopyPathOf(storeRoot))};
  bool anySound = false;
  for (const KeyCheckCopy& copy : copies) anySound = anySound || copy.sound;
  if (anySound) {
    for (const KeyCheckCopy& copy : copies) {
      if (!copy.sound || (&copy == &copies[1] && copies[0].sound && copy.bytes == copies[0].bytes)) continue;
      StoreKey opened;
      const KeyCheckResult result = OpenKeyCheck(copy.bytes, password, opened.bytes, &opened.parameters);
      if (result == KeyCheckResult::kLibraryFailed) return LibraryFailed(error);
      if (result != KeyCheckResult::kOk) continue;
      // A missing or damaged copy is put back; a sound one that differs is
      // left alone (it is not ours to judge which key its files are under).
      for (const KeyCheckCopy& other : copies)
        if (!other.sound && (other.readError == 0 || IsNotFound(other.readError)))
          PutKeyCheck(fs, storeRoot, other.path, copy.bytes, true);
      *key = std::move(opened);
      return StoreKeyResult::kOk;
    }
    return StoreKeyResult::kWrongPassword;
  }
  for (const KeyCheckCopy& copy : copies) {
    if (copy.readError != 0 && copy.Present()) {
      *error = copy.readError;
      return StoreKeyResult::kFailed;
    }
  }
  if (StoreHoldsEncryptedFiles(fs, storeRoot)) {
    if (rebuild) return Rebuild(fs, storeRoot, password, rebuild, key, error);
    *error = kErrorInvalidData;
    return StoreKeyResult::kLost;
  }
  if (copies[0].Present() || copies[1].Present()) {
    // A damaged key check beside no encrypted file: reported, not made anew over the old key.
    *error = kErrorInvalidData;
    return StoreKeyResult::kDamaged;
  }
  if (!create) return StoreKeyResult::kNotEncrypted;
  return CreateFirst(fs, storeRoot, password, key, error, rebuild);
}

StoreKeyResult ReplaceLostStoreKey(FileSystem& fs, std::u16string_view storeRoot, std::string_view password,
                                   StoreKey* key, uint32_t* error) {
  uint32_t ignored = 0;
  if (error == nullptr) error = &ignored;
  *error = 0;
  StoreKey made;
  std::vector<uint8_t> bytes;
  if (CreateKeyCheck(password, kMinKeyIterations, &bytes, made.bytes, &made.parameters) != KeyCheckResult::kOk)
    return LibraryFailed(error);
  if ((*error = PutBothCopies(fs, storeRoot, bytes)) != 0) return StoreKeyResult::kFailed;
  *key = std::move(made);
  return StoreKeyResult::kOk;
}

bool StoreHasKeyCheck(FileSystem& fs, std::u16string_view storeRoot) {
  FindEntry entry;
  return (fs.Find(KeyCheckPathOf(storeRoot), &entry) == 0 && !entry.IsFolder()) ||
         (fs.Find(KeyCheckCopyPathOf(storeRoot), &entry) == 0 && !entry.IsFolder());
}

bool StoreHoldsEncryptedFiles(FileSystem& fs, std::u16string_view storeRoot) {
  std::unique_ptr<FolderListing> listing;
  if (fs.List(storeRoot, &listing) != 0) return false;
  FindEntry entry;
  // Stored files live only in the one-letter drive folders.
  while (listing->Next(&entry))
    if (entry.IsFolder() && !entry.IsLink() && entry.name.size() == 1 &&
        ListsEncryptedFile(fs, JoinPath(storeRoot, entry.name)))
      return true;
  return false;
}

bool StoreIsEncrypted(FileSystem& fs, std::u16string_view storeRoot) {
  return StoreHasKeyCheck(fs, storeRoot) || StoreHoldsEncryptedFiles(fs, storeRoot);
}

}  // namespace qtr
