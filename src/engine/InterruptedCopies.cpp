#include "engine/InterruptedCopies.h"

#include <memory>
#include <string>
#include <vector>

#include "engine/StoreLayout.h"

namespace qtr {

size_t PutInterruptedCopiesInPlace(FileSystem& fs, std::u16string_view storeRoot, const StoreIndex& index,
                                   const std::function<bool(std::u16string_view folder)>& plain) {
  std::vector<StoreIndexEntry> announced;
  index.ForEachAnnounced([&](const StoreIndexEntry& entry) { announced.push_back(entry); });
  if (announced.empty()) return 0;
  const std::u16string folder = PartialFolderOf(storeRoot);
  std::unique_ptr<FolderListing> listing;
  if ((plain && !plain(folder)) || fs.List(folder, &listing) != 0) return 0;
  std::vector<FindEntry> leftovers;
  FindEntry entry;
  while (listing->Next(&entry))
    if (!entry.IsFolder()) leftovers.push_back(entry);
  listing.reset();
  size_t placed = 0;
  for (const FindEntry& leftover : leftovers) {
    for (const StoreIndexEntry& candidate : announced) {
      if (!Describes(candidate, leftover)) continue;
      const std::u16string destination = JoinPath(storeRoot, candidate.stored);
      FindEntry there;
      if (fs.Find(destination, &there) == 0) continue;
      if (plain && !plain(ParentOf(destination))) break;
      // Opened for writing, for the flush: a read-only copy has its attribute back once in place.
      const std::u16string path = JoinPath(folder, leftover.name);
      const uint32_t attributes = leftover.attributes & kSettableAttributes;
      if ((attributes & kAttributeReadOnly) != 0) fs.SetAttributes(path, attributes & ~kAttributeReadOnly);
      std::unique_ptr<File> file;
      if (fs.Open(path, OpenMode::kReadWriteExisting, &file) != 0) break;
      if (file->RenameTo(destination) != 0) break;
      if ((attributes & kAttributeReadOnly) != 0) fs.SetAttributes(destination, attributes);
      if (file->Flush() == 0) ++placed;
      break;
    }
  }
  return placed;
}

}  // namespace qtr
