#include "engine/SourcePrefetch.h"

namespace qtr {

SourcePrefetch::SourcePrefetch(BackupJob& job, const std::vector<std::u16string>& paths, size_t ahead)
    : job_(job), paths_(paths), ahead_(ahead) {
  if (ahead_ > 0) thread_ = std::thread([this] { Run(); });
}

SourcePrefetch::~SourcePrefetch() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

SourcePrefetch::Opened SourcePrefetch::Open(BackupJob& job, const std::u16string& path) {
  Opened opened;
  opened.error = job.fs.Open(path, OpenMode::kReadExisting, &opened.file);
  if (opened.error == 0) opened.error = opened.file->GetInfo(&opened.info);
  if (opened.error != 0) opened.file.reset();
  return opened;
}

bool SourcePrefetch::Take(Opened* opened) {
  if (ahead_ == 0) {
    if (taken_ == paths_.size() || job_.stop != 0) return false;
    *opened = Open(job_, paths_[taken_++]);
    return true;
  }
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
      changed_.wait(lock, [this] { return ready_.size() < ahead_ || quit_; });
      if (quit_) break;
    }
    if (!job_.WaitUnlessStopped()) break;
    Opened opened = Open(job_, path);
    std::lock_guard lock(mutex_);
    ready_.push_back(std::move(opened));
    changed_.notify_all();
  }
  std::lock_guard lock(mutex_);
  finished_ = true;
  changed_.notify_all();
}

}  // namespace qtr
