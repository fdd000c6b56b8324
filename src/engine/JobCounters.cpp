#include "engine/JobCounters.h"

namespace qtr {

void JobCounters::SetCurrentFile(const std::u16string& path) {
  newFile = 1;
  std::lock_guard lock(mutex_);
  currentFile_ = path;
}

std::u16string JobCounters::CurrentFile() const {
  std::lock_guard lock(mutex_);
  return currentFile_;
}

}  // namespace qtr
