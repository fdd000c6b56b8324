#include "engine/StoreKeyRebuild.h"

#include <memory>
#include <optional>

#include "crypto/EncryptedFile.h"
#include "engine/StoreLayout.h"

namespace qtr {
namespace {

// The first encrypted file under folder whose header read accepts.
std::optional<std::u16string> FindReadable(FileSystem& fs, const std::u16string& folder,
                                           const EncryptedParametersReader& read, KeyParameters* parameters) {
  std::unique_ptr<FolderListing> listing;
  if (fs.List(folder, &listing) != 0) return std::nullopt;
  FindEntry entry;
  while (listing->Next(&entry)) {
    if (entry.IsLink()) continue;
    const std::u16string path = JoinPath(folder, entry.name);
    if (entry.IsFolder()) {
      if (auto found = FindReadable(fs, path, read, parameters)) return found;
      continue;
    }
    if (!EndsWithNoCase(entry.name, kEncryptedSuffix)) continue;
    std::unique_ptr<File> file;
    if (fs.Open(path, OpenMode::kReadExisting, &file) == 0 && read(*file, parameters)) return path;
  }
  return std::nullopt;
}

}  // namespace

bool ReadHeaderKeyParameters(File& file, KeyParameters* parameters) {
  return ReadEncryptedKeyParameters(file, parameters) == 0;
}

StoreKeyRebuild RebuildFromEncryptedFiles(FileSystem& fs, std::u16string storeRoot, EncryptedParametersReader read) {
  if (!read) return {};
  // The file the parameters came from is the one the key is checked against.
  auto found = std::make_shared<std::u16string>();
  StoreKeyRebuild rebuild;
  rebuild.findParameters = [&fs, storeRoot, read, found](KeyParameters* parameters) {
    std::unique_ptr<FolderListing> listing;
    if (fs.List(storeRoot, &listing) != 0) return false;
    FindEntry entry;
    while (listing->Next(&entry)) {
      // Stored files live only in the one-letter drive folders.
      if (!entry.IsFolder() || entry.IsLink() || entry.name.size() != 1) continue;
      if (auto path = FindReadable(fs, JoinPath(storeRoot, entry.name), read, parameters)) {
        *found = *path;
        return true;
      }
    }
    return false;
  };
  rebuild.opens = [&fs, found](const StoreKey& key) {
    std::unique_ptr<File> file;
    if (found->empty() || fs.Open(*found, OpenMode::kReadExisting, &file) != 0) return false;
    EncryptedFileInfo info;
    return ReadEncryptedInfo(*file, key.bytes, &info) == 0;
  };
  return rebuild;
}

}  // namespace qtr
