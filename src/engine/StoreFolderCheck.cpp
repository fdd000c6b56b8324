#include "engine/StoreFolderCheck.h"

#include "engine/StoreLayout.h"
#include "platform/SystemError.h"

namespace qtr {

StoreFolderCheck::StoreFolderCheck(BackupJob& job, std::u16string storeRoot)
    : job_(job), storeRoot_(std::move(storeRoot)) {}

bool StoreFolderCheck::Plain(std::u16string_view folder) {
  if (storeRoot_.empty()) return true;
  while (folder.size() > storeRoot_.size() && folder.back() == u'\\') folder.remove_suffix(1);
  // From the store root down, so that a link is met before what lies below it.
  size_t end = Lowercase(folder).starts_with(Lowercase(storeRoot_)) ? storeRoot_.size() : folder.size();
  for (;;) {
    const std::u16string_view step = folder.substr(0, end);
    const std::u16string key = Lowercase(step);
    auto it = known_.find(key);
    if (it == known_.end()) {
      // The folder's own entry: a handle opened through a link may show
      // the folder it leads to instead.
      FindEntry entry;
      const bool link = job_.fs.Find(step, &entry) == 0 && entry.IsLink();
      if (link) job_.results.AddFailure(step, kErrorLinkNotFollowed);
      it = known_.emplace(key, !link).first;
    }
    if (!it->second) return false;
    if (end >= folder.size()) return true;
    end = folder.find(u'\\', end + 1);
    if (end == std::u16string_view::npos) end = folder.size();
  }
}

}  // namespace qtr
