#include "engine/SourcePrefetch.h"

namespace qtr {

SourcePrefetch::SourcePrefetch(BackupJob& job, const std::vector<std::u16string>& paths, size_t ahead)
    : job_(job), paths_(paths), made_(job, ahead, [this](Opened* opened) { return OpenNext(opened); }) {}

bool SourcePrefetch::OpenNext(Opened* opened) {
  if (next_ == paths_.size()) return false;
  opened->error = job_.fs.Open(paths_[next_++], OpenMode::kReadExisting, &opened->file);
  if (opened->error == 0) opened->error = opened->file->GetInfo(&opened->info);
  if (opened->error != 0) opened->file.reset();
  return true;
}

}  // namespace qtr
