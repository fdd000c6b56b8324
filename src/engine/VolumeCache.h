// The volumes a job meets, asked once per drive and job: the copy pass
// asks for every file whether its volume compresses and keeps fine times.
#pragma once
#include <map>
#include <mutex>
#include <string_view>

#include "platform/FileSystem.h"

namespace qtr {

class VolumeCache {
 public:
  explicit VolumeCache(FileSystem& fs) : fs_(fs) {}
  // The volume holding path. A volume that cannot be asked is taken for the
  // cautious case: no per-file compression and coarse times.
  const VolumeInfo& Of(std::u16string_view path);

 private:
  FileSystem& fs_;
  std::mutex mutex_;
  std::map<char16_t, VolumeInfo> volumes_;
};

}  // namespace qtr
