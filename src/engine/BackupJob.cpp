#include "engine/BackupJob.h"

#include "engine/JobOptions.h"
#include "engine/JobText.h"
#include "config/SettingsFile.h"
#include "xml/XmlFileLoad.h"
#include "engine/StoreLayout.h"

namespace qtr {

void PauseGate::Open() {
  {
    std::lock_guard lock(mutex_);
    open_ = true;
  }
  changed_.notify_all();
}

void PauseGate::Close() {
  std::lock_guard lock(mutex_);
  open_ = false;
}

void PauseGate::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return open_; });
}

bool PauseGate::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

BackupJob::BackupJob(FileSystem& fileSystem, JobReporter& failureList, std::u16string folder)
    : fs(fileSystem), failures(failureList), programFolder(std::move(folder)) {}

void BackupJob::LoadIncludeFlags() {
  const JobOptions options = ReadJobOptions(fs, programFolder);
  includeWindows = options.includeWindows ? 1 : 0;
  includeDocumentsAndSettings = options.includeDocumentsAndSettings ? 1 : 0;
  includeProgramFiles = options.includeProgramFiles ? 1 : 0;
}

void BackupJob::SetCurrentFile(const std::u16string& path) {
  newFile = 1;
  std::lock_guard lock(mutex_);
  currentFile_ = path;
}

std::u16string BackupJob::CurrentFile() const {
  std::lock_guard lock(mutex_);
  return currentFile_;
}

bool BackupJob::WaitUnlessStopped() {
  pause.Wait();
  return stop == 0;
}

void BackupJob::AddFailure(std::u16string_view path, uint32_t error) { AddFailure(path, ErrorText(error)); }

void BackupJob::AddFailure(std::u16string_view path, std::u16string_view reason) {
  // The copy pass and its committer both report: one line at a time.
  std::lock_guard lock(failuresMutex_);
  failedFiles_.insert(Lowercase(path));
  failures.AddFailureLine(std::u16string(path) + u";" + std::u16string(reason));
}

void BackupJob::AddNote(std::u16string_view path, uint32_t error) { AddNote(path, ErrorText(error)); }

void BackupJob::AddNote(std::u16string_view path, std::u16string_view reason) {
  std::lock_guard lock(failuresMutex_);
  failures.AddFailureLine(std::u16string(path) + u";" + std::u16string(reason));
}

size_t BackupJob::FailedFiles() const {
  std::lock_guard lock(failuresMutex_);
  return failedFiles_.size();
}

const VolumeInfo& BackupJob::VolumeOf(std::u16string_view path) {
  const char16_t letter = path.empty() ? u'?' : static_cast<char16_t>(path[0] & ~0x20);
  std::lock_guard lock(volumesMutex_);
  auto it = volumes_.find(letter);
  if (it == volumes_.end()) {
    VolumeInfo info;
    // A volume that cannot be asked is taken for the cautious case: no
    // per-file compression and coarse times.
    if (fs.GetVolumeInfo(path.substr(0, 2), &info) != 0) {
      info.supportsFileCompression = false;
      info.coarseTimes = true;
    }
    it = volumes_.emplace(letter, info).first;
  }
  return it->second;
}

std::atomic<int>& JobFinishedFlag() {
  static std::atomic<int> flag{0};
  return flag;
}

}  // namespace qtr
