#include "engine/StoredRename.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "crypto/EncryptedFile.h"
#include "engine/StoredForms.h"
#include "engine/StoreIndex.h"
#include "engine/StoreLayout.h"
#include "platform/SystemError.h"

namespace qtr {

bool IsStoredFilePath(std::u16string_view path) {
  return !MapToSource(path).empty() && MapToSource(path).size() > 3;
}

uint32_t RenameStoredFile(FileSystem& fs, std::u16string_view storeRoot, const StoreKey* key,
                          std::u16string_view from, std::u16string_view to) {
  FindEntry listed;
  if (const uint32_t error = fs.Find(from, &listed); error != 0) return error;
  StoreIndex index = StoreIndex::Load(fs, storeRoot, key);
  const bool encrypted = EndsWithNoCase(from, kEncryptedSuffix);
  std::array<uint8_t, 16> fileId{};
  if (encrypted) {
    if (key == nullptr) return kErrorNoStoreKey;
    std::unique_ptr<File> file;
    if (const uint32_t error = fs.Open(from, OpenMode::kReadExisting, &file); error != 0) return error;
    EncryptedFileInfo info;
    EncryptedFileOrigin origin;
    if (const uint32_t error = ReadEncryptedInfo(*file, key->bytes, &info, &origin); error != 0) return error;
    std::copy(std::begin(origin.fileId), std::end(origin.fileId), fileId.begin());
  }
  // The entry moves with the file: a rename keeps size and times.
  const StoreIndexEntry* entry = nullptr;
  const bool described = index.StateOf(from, listed, &entry) == IndexState::kCurrent;
  std::optional<StoreIndexEntry> moved;
  if (described) moved = *entry;
  index.Forget(from);
  if (moved) {
    moved->stored = std::u16string(to);
    if (encrypted) moved->fileId = fileId;
    index.Record(std::move(*moved));
  }
  if (encrypted) index.RecordRename(to, fileId);
  if (const uint32_t error = index.AppendPending(fs); error != 0) return error;
  return fs.Rename(from, to);
}

}  // namespace qtr
