#include "engine/VolumeCache.h"

namespace qtr {

const VolumeInfo& VolumeCache::Of(std::u16string_view path) {
  const char16_t letter = path.empty() ? u'?' : static_cast<char16_t>(path[0] & ~0x20);
  std::lock_guard lock(mutex_);
  auto it = volumes_.find(letter);
  if (it == volumes_.end()) {
    VolumeInfo info;
    if (fs_.GetVolumeInfo(path.substr(0, 2), &info) != 0) {
      info.supportsFileCompression = false;
      info.coarseTimes = true;
    }
    it = volumes_.emplace(letter, info).first;
  }
  return it->second;
}

}  // namespace qtr
