#include "engine/StoreFileOperations.h"

#include <memory>

#include "platform/PathText.h"

namespace qtr {
namespace {

// Takes away the attributes that stand in the way; returns those it had
// (kInvalidAttributes when path does not exist).
uint32_t ClearAttributes(FileSystem& fs, std::u16string_view path) {
  uint32_t attributes = kInvalidAttributes;
  if (fs.GetAttributes(path, &attributes) != 0) return kInvalidAttributes;
  fs.SetAttributes(path, kAttributeNormal);
  return attributes;
}

}  // namespace

uint32_t RemoveFileAnyway(FileSystem& fs, std::u16string_view path) {
  const uint32_t attributes = ClearAttributes(fs, path);
  if (attributes == kInvalidAttributes) return 0;
  const uint32_t error = fs.RemoveFile(path);
  if (error != 0) fs.SetAttributes(path, attributes & ~kAttributeDirectory);
  return error;
}

uint32_t PutInPlace(FileSystem& fs, File& partial, std::u16string_view destination) {
  if (partial.RenameTo(destination) == 0) return 0;
  // A read-only (or otherwise protected) destination refuses to be replaced until its attributes are cleared.
  const uint32_t old = ClearAttributes(fs, destination);
  const uint32_t error = partial.RenameTo(destination);
  if (error != 0 && old != kInvalidAttributes) fs.SetAttributes(destination, old & ~kAttributeDirectory);
  return error;
}

uint32_t FlushByName(FileSystem& fs, std::u16string_view path) {
  uint32_t attributes = kInvalidAttributes;
  if (const uint32_t error = fs.GetAttributes(path, &attributes); error != 0) return error;
  const bool readOnly = (attributes & kAttributeReadOnly) != 0;
  if (readOnly) fs.SetAttributes(path, attributes & kSettableAttributes & ~kAttributeReadOnly);
  std::unique_ptr<File> file;
  uint32_t error = fs.Open(path, OpenMode::kReadWriteExisting, &file);
  if (error == 0) error = file->Flush();
  file.reset();
  if (readOnly) fs.SetAttributes(path, attributes & kSettableAttributes);
  return error;
}

void ListTree(FileSystem& fs, const std::u16string& folder, std::vector<std::u16string>* files,
              std::vector<std::u16string>* folders) {
  std::unique_ptr<FolderListing> listing;
  if (fs.List(folder, &listing) != 0) return;
  std::vector<std::u16string> inner, links;
  FindEntry entry;
  while (listing->Next(&entry)) {
    if (entry.name == u"." || entry.name == u"..") continue;
    const std::u16string path = JoinPath(folder, entry.name);
    if (!entry.IsFolder()) {
      files->push_back(path);
    } else {
      (entry.IsLink() ? links : inner).push_back(path);
    }
  }
  listing.reset();
  for (const std::u16string& child : inner) ListTree(fs, child, files, folders);
  folders->insert(folders->end(), links.begin(), links.end());
  folders->push_back(folder);
}

}  // namespace qtr
