#include "engine/DestinationListing.h"

#include <iterator>
#include <memory>
#include <mutex>

#include "engine/StoreLayout.h"

namespace qtr {

std::set<std::u16string>& DestinationListing::NamesOf(std::u16string_view folder) {
  const std::u16string key = Lowercase(folder);
  auto it = names_.find(key);
  if (it != names_.end()) return it->second;
  // A depth-first pass never comes back to a folder it has left for one
  // that is not inside it, so only the listings along the way are kept.
  for (auto kept = names_.begin(); kept != names_.end();) {
    const bool ancestor =
        key.size() > kept->first.size() && key.starts_with(kept->first) && key[kept->first.size()] == u'\\';
    kept = ancestor ? std::next(kept) : names_.erase(kept);
  }
  std::set<std::u16string>& names = names_[key];
  std::unique_ptr<FolderListing> listing;
  if (fs_.List(folder, &listing) == 0) {
    FindEntry entry;
    while (listing->Next(&entry)) names.insert(Lowercase(entry.name));
  }
  return names;
}

bool DestinationListing::Exists(std::u16string_view path) {
  std::lock_guard lock(mutex_);
  return NamesOf(ParentOf(path)).count(Lowercase(NameOf(path))) != 0;
}

void DestinationListing::Note(std::u16string_view path, bool present) {
  std::lock_guard lock(mutex_);
  const auto it = names_.find(Lowercase(ParentOf(path)));
  if (it == names_.end()) return;
  if (present) {
    it->second.insert(Lowercase(NameOf(path)));
  } else {
    it->second.erase(Lowercase(NameOf(path)));
  }
}

bool DestinationListing::FirstVisit(std::u16string_view folder) {
  return visited_.insert(Lowercase(folder)).second;
}

}  // namespace qtr
