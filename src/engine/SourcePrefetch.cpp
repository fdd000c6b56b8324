#include "engine/SourcePrefetch.h"

namespace qtr {

SourcePrefetch::SourcePrefetch(BackupJob& job, const std::vector<std::u16string>& paths)
    : job_(job), paths_(paths), thread_([this] { Run(); }) {}

SourcePrefetch::~SourcePrefetch() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool SourcePrefetch::Take(Opened* opened) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
  if (ready_.empty()) return false;
  *opened = std::move(ready_.front());
  ready_.pop_front();
  changed_.notify_all();
  return true;
}

void SourcePrefetch::Run() {
  for (const std::u16string& path : paths_) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return ready_.size() < kAhead || quit_; });
      if (quit_) break;
    }
    if (!job_.WaitUnlessStopped()) break;
    Opened opened;
    opened.error = job_.fs.Open(path, OpenMode::kReadExisting, &opened.file);
    if (opened.error == 0) opened.error = opened.file->GetInfo(&opened.info);
    if (opened.error != 0) opened.file.reset();
    std::lock_guard lock(mutex_);
    ready_.push_back(std::move(opened));
    changed_.notify_all();
  }
  std::lock_guard lock(mutex_);
  finished_ = true;
  changed_.notify_all();
}

}  // namespace qtr
