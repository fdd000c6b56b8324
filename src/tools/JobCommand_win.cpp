#include <windows.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <iostream>
#include <mutex>

#include "config/JobHistory.h"
#include "engine/BackupJob.h"
#include "engine/JobOptions.h"
#include "engine/JobProgress.h"
#include "engine/JobText.h"
#include "engine/JobThread.h"
#include "engine/JobWorker.h"
#include "engine/StoreKey.h"
#include "engine/StoreKeyRebuild.h"
#include "engine/StoreLayout.h"
#include "engine/StoredFileCopy.h"
#include "platform/UserDataProtection.h"
#include "platform/Utf8.h"
#include "tools/CommandLine.h"
#include "tools/JobCommand.h"

namespace qtr {
namespace {

class ConsoleFailures : public JobReporter {
 public:
  void AddFailureLine(const std::u16string& line) override {
    ++count;
    PrintLine(Utf16ToUtf8(line), true);
    std::lock_guard<std::mutex> lock(mutex);
    record.AddLine(line);
  }
  std::atomic<size_t> count{0};
  std::mutex mutex;
  JobRecord record;  // its lines; the rest is filled in when the job ends
};

BackupStartTime LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

// The job's record in the program folder's history, as the program keeps
// it; a history that cannot be saved is said, and changes no exit code.
void RecordJob(ConsoleFailures& failures, const BackupJob& job, const JobCommandOptions& options,
               const std::u16string& folder, JobEnding ending) {
  JobRecord record;
  {
    std::lock_guard<std::mutex> lock(failures.mutex);
    record = std::move(failures.record);
  }
  record.ended = LocalNow();
  record.kind = options.restore ? HistoryJobKind::kRestore : HistoryJobKind::kBackup;
  record.trigger = JobTrigger::kCommandLine;
  record.target = options.target;
  record.files = job.counters.finishedCount.load();
  record.bytes = job.counters.doneBytes.load();
  record.failedFiles = job.results.FailedFiles();
  record.ending = ending;
  const JobHistory history(folder);
  if (history.Append(std::move(record)) == 0)
    PrintLine("qtrpack: the job could not be added to " + Utf16ToUtf8(history.Path()), true);
}

// "finished: 3 Files, 0 failed", with the files the changed-only test left
// out counted apart, and a selection that named nothing said as such.
std::string JobSummary(const BackupJob& job, const std::u16string& folder) {
  const size_t failed = job.results.FailedFiles();
  if (job.counters.selectedCount == 0 && failed == 0) {
    const char16_t* list = !job.settings.IsBackup() ? u"restoreTempPath.xml" : u"backupfullpath.xml";
    return "finished: nothing selected (" + Utf16ToUtf8(folder + list) + " lists no path)";
  }
  std::string summary = Utf16ToUtf8(u"finished: " + FormatFileCount(job.counters.finishedCount)) + ", " +
                        std::to_string(failed) + " failed";
  if (job.counters.upToDateCount.load() != 0)
    summary += ", " + std::to_string(job.counters.upToDateCount.load()) + " up to date";
  if (job.counters.changedCount.load() != 0)
    summary += ", " + std::to_string(job.counters.changedCount.load()) + " changed since they were backed up";
  if (job.counters.lackingCount.load() != 0)
    summary += ", " + std::to_string(job.counters.lackingCount.load()) + " without their times or attributes";
  if (job.counters.recycledCount.load() != 0)
    summary +=
        ", " + std::to_string(job.counters.recycledCount.load()) + " replaced PC files in the Recycle Bin";
  if (job.counters.keptBesideCount.load() != 0)
    summary += ", " + std::to_string(job.counters.keptBesideCount.load()) + " replaced PC files kept beside";
  return summary;
}

// The store key of an encrypted job from the password on standard input;
// false (with the line saying why) when the job must not start.
bool OpenJobKey(BackupJob& job, const JobCommandOptions& options, std::u16string_view folder) {
  const bool backup = !options.restore;
  const std::u16string storeRoot = StoreRootOf(job.settings.targetRoot);
  const bool encrypt = backup && ReadJobOptions(job.fs, folder).encrypt;
  if (backup && !encrypt) {
    if (options.storeReadable || !StoreIsEncrypted(job.fs, storeRoot)) {
      job.settings.storeReadable = options.storeReadable ? 1 : 0;
      return true;
    }
    PrintLine("qtrpack: the store " + Utf16ToUtf8(storeRoot) +
                  " holds encrypted copies and encryption is off in init.xml: nothing was stored; give "
                  "--store-readable to store the changed files readable and remove their encrypted copies",
              true);
    return false;
  }
  if (!encrypt && !StoreIsEncrypted(job.fs, storeRoot)) return true;
  std::string password;
  if (!std::getline(std::cin, password)) {
    PrintLine(
        "qtrpack: the store " + Utf16ToUtf8(storeRoot) + " is encrypted: give its password on standard input",
        true);
    return false;
  }
  if (!password.empty() && password.back() == '\r') password.pop_back();
  StoreKey key;
  uint32_t error = 0;
  const StoreKeyResult result =
      OpenStoreKey(job.fs, storeRoot, password, encrypt, &key, &error,
                   backup ? StoreKeyRebuild{} : RebuildFromEncryptedFiles(job.fs, storeRoot, options.readParameters));
  WipeSecret(password);
  switch (result) {
    case StoreKeyResult::kOk: job.settings.storeKey = std::move(key); return true;
    case StoreKeyResult::kLost:
      PrintLine("qtrpack: the store " + Utf16ToUtf8(storeRoot) +
                    " holds encrypted files but its key check (~key.bin and ~keycopy\\~key.bin) is missing or "
                    "damaged: no new key is made over them, and without it they cannot be read; nothing was done",
                true);
      return false;
    case StoreKeyResult::kWrongPassword:
      PrintLine("qtrpack: wrong password for the store " + Utf16ToUtf8(storeRoot) + "; nothing was done",
                true);
      return false;
    case StoreKeyResult::kDamaged:
      PrintLine("qtrpack: the key check file of " + Utf16ToUtf8(storeRoot) +
                    " is damaged: the password cannot be checked",
                true);
      return false;
    case StoreKeyResult::kNotEncrypted:
    case StoreKeyResult::kFailed: break;
  }
  PrintLine("qtrpack: the key check file of " + Utf16ToUtf8(storeRoot) +
                " cannot be read or written (error " + std::to_string(error) + ")",
            true);
  return false;
}

}  // namespace

int RunJobCommand(const JobCommandOptions& options) {
  std::u16string folder = options.programFolder;
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  ConsoleFailures failures;
  failures.record.started = LocalNow();
  BackupJob job(SystemFileSystem(), failures, folder);
  SetUpJob(job, options.target, options.restore);
  job.settings.typeFilter = options.typeFilter;
  job.settings.coderThreads = options.threads;
  job.settings.asOfStamp = options.asOfStamp;
  if (!OpenJobKey(job, options, folder)) return 2;
  // As the window does before a backup: a store to hide is hidden from its first file on.
  if (!options.restore) ApplyStoreVisibility(job.fs, ReadJobOptions(job.fs, folder), job.settings.targetRoot);

  JobThread worker;
  worker.Start([&job] { RunJob(job); });
  JobTicker ticker(_time64(nullptr));
  bool lowSpace = false, targetGone = false;
  std::u16string lastScanned;
  for (;;) {
    const bool ended = worker.Ended();
    const JobView view = ticker.Tick(job, _time64(nullptr), failures.count, false);
    if (view.scanning && view.scannedText != lastScanned) {
      lastScanned = view.scannedText;
      PrintLine("scanning: " + Utf16ToUtf8(view.scannedText));
    }
    if (view.currentFile) PrintLine("copying " + Utf16ToUtf8(*view.currentFile));
    if (view.action == JobView::Action::kStopForLowSpace) {
      PrintLine("File backup failed: Not enough free disk space!", true);
      lowSpace = true;
    }
    if (view.action == JobView::Action::kStopForNoTarget) {
      job.control.stop = 1;
      targetGone = true;
    }
    if (ended || lowSpace || view.action == JobView::Action::kStopForNoTarget) break;
    // Woken by the worker's end at once: waiting a whole tick added up to a tick to every job's time.
    worker.WaitForEnd(std::chrono::milliseconds(100));
  }
  worker.Join();
  PrintLine(JobSummary(job, folder));
  RecordJob(failures, job, options, folder,
            lowSpace ? JobEnding::kLowSpace : targetGone ? JobEnding::kTargetRemoved : JobEnding::kFinished);
  // A copy that only lacks its times is a copy: its line is there to read, the job did its work.
  return job.results.FailedFiles() != 0 || job.counters.changedCount != 0 || lowSpace || job.guard.stopped != 0 ? 1 : 0;
}

}  // namespace qtr
