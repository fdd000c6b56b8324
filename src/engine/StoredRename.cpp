#include "engine/StoredRename.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "crypto/EncryptedFile.h"
#include "engine/StoreIndex.h"
#include "engine/StoreLayout.h"
#include "engine/StoredForms.h"
#include "platform/SystemError.h"

namespace qtr {

bool IsStoredFilePath(std::u16string_view path) {
  return !MapToSource(path).empty() && MapToSource(path).size() > 3;
}

namespace {

// Every file below folder (full paths), folders first walked.
uint32_t FilesBelow(FileSystem& fs, const std::u16string& folder, std::vector<std::u16string>* files) {
  std::unique_ptr<FolderListing> listing;
  if (const uint32_t error = fs.List(folder, &listing); error != 0) return error;
  std::vector<std::u16string> folders;
  FindEntry found;
  while (listing->Next(&found)) {
    const std::u16string path = JoinPath(folder, found.name);
    if (found.IsLink()) continue;
    (found.IsFolder() ? folders : *files).push_back(path);
  }
  listing.reset();
  for (const std::u16string& inner : folders)
    if (const uint32_t error = FilesBelow(fs, inner, files); error != 0) return error;
  return 0;
}

// Records in index that the stored file from moves to to: its entry moves
// with it, and an encrypted one gets its rename record.
uint32_t RecordMove(FileSystem& fs, StoreIndex& index, const StoreKey* key, const std::u16string& from,
                    const std::u16string& to) {
  FindEntry listed;
  if (const uint32_t error = fs.Find(from, &listed); error != 0) return error;
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
  // A rename keeps size and times: the entry still describes the file.
  const StoreIndexEntry* entry = nullptr;
  std::optional<StoreIndexEntry> moved;
  if (index.StateOf(from, listed, &entry) == IndexState::kCurrent) moved = *entry;
  index.Forget(from);
  if (moved) {
    moved->stored = to;
    if (encrypted) moved->fileId = fileId;
    index.Record(std::move(*moved));
  }
  if (encrypted) index.RecordRename(to, fileId);
  return 0;
}

}  // namespace

uint32_t RenameStoredFile(FileSystem& fs, std::u16string_view storeRoot, const StoreKey* key,
                          std::u16string_view from, std::u16string_view to) {
  FindEntry listed;
  if (const uint32_t error = fs.Find(from, &listed); error != 0) return error;
  StoreIndex index = StoreIndex::Load(fs, storeRoot, key);
  std::vector<std::u16string> files;
  if (listed.IsFolder()) {
    if (const uint32_t error = FilesBelow(fs, std::u16string(from), &files); error != 0) return error;
  } else {
    files.emplace_back(from);
  }
  // Every record goes in one piece, on the disk before anything moves.
  for (const std::u16string& file : files)
    if (const uint32_t error =
            RecordMove(fs, index, key, file, std::u16string(to) + file.substr(from.size()));
        error != 0)
      return error;
  if (const uint32_t error = index.AppendPending(fs); error != 0) return error;
  return fs.Rename(from, to);
}

}  // namespace qtr
