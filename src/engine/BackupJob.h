// The record of one backup or restore, shared by the worker that fills it
// and the progress window that shows it. Counters and flags are atomics the
// window polls without a lock; the current file is read under the job mutex.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/StoreKey.h"
#include "platform/FileSystem.h"

namespace qtr {

// Where the worker reports to the window: one line per file that failed.
class JobReporter {
 public:
  virtual ~JobReporter() = default;
  virtual void AddFailureLine(const std::u16string& line) = 0;
};

// The pause event: open lets the worker run, closed halts it at its next wait.
class PauseGate {
 public:
  void Open();
  void Close();
  void Wait();
  bool IsOpen() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = true;
};

// The reasons of the lines a job writes itself, in the window's language
// where it hands them over (language texts are read on the window's thread
// only); English otherwise.
struct JobNotes {
  // A file copied whole whose times or attributes the volume refused; the system's text follows.
  std::u16string timesNotSet = u"copied, but its times or attributes were not set:";
  // A stored file changed since the program wrote it, restored as it is now.
  std::u16string changedRestored = u"changed since it was backed up; restored as it is now";
  // The same, refused: it does not decode whole, or not to the size backed up.
  std::u16string changedRefused = u"changed since it was backed up and not whole; not restored";
  // One more stored form of a file another stored form was restored to.
  std::u16string secondForm = u"another stored form of this file was restored instead:";
  // An encrypted file bound to another stored path, which no rename made through the program explains.
  std::u16string movedRefused = u"lies in the place of another stored file (moved or swapped); not restored";
  // An encrypted file of its path, but not the copy the store recorded there last.
  std::u16string olderRefused = u"an older copy than the store last recorded; not restored";
  // A plain or compressed file in an encrypted store that no record under the key vouches for.
  std::u16string readableRefused =
      u"stored readable in an encrypted store, which does not vouch for it; not restored";
  // An encrypted file renamed through the program, restored under its new name.
  std::u16string renamedRestored = u"renamed in the store; restored under its new name";
  // A backup without encryption refused at a store that holds encrypted copies.
  std::u16string storeReadable =
      u"holds encrypted copies and encryption is off: nothing was stored, and no encrypted copy was replaced by a "
      u"readable one";
};

// "C:" from the system directory; "C:" where there is none.
std::u16string SystemDriveOfThisMachine();

struct BackupJob {
  BackupJob(FileSystem& fileSystem, JobReporter& failureList, std::u16string programFolder);
  BackupJob(const BackupJob&) = delete;
  BackupJob& operator=(const BackupJob&) = delete;

  // Reads "WindowsFile", "DocAndSetFiles" and "ProgramFiles" from init.xml.
  void LoadIncludeFlags();

  void SetCurrentFile(const std::u16string& path);
  std::u16string CurrentFile() const;
  // Waits at the pause gate; false when the job must stop.
  bool WaitUnlessStopped();
  // A line of the job's list for a file that failed, counted once per file.
  void AddFailure(std::u16string_view path, uint32_t error);
  void AddFailure(std::u16string_view path, std::u16string_view reason);
  // A line for a file that was copied but lacks something (its times or
  // attributes, or it changed since it was backed up): not a failed file.
  void AddNote(std::u16string_view path, uint32_t error);
  void AddNote(std::u16string_view path, std::u16string_view reason);
  // Files with at least one failure line.
  size_t FailedFiles() const;
  // The volume holding path, asked once per drive and job.
  const VolumeInfo& VolumeOf(std::u16string_view path);

  FileSystem& fs;
  JobReporter& failures;
  const std::u16string programFolder;  // with its trailing "\"

  std::atomic<int> stop{0};
  std::vector<std::u16string> restoreRoots;  // read only after the worker has ended
  std::vector<std::u16string> fileList;      // the worker's own
  std::atomic<uint32_t> scannedCount{0};
  std::atomic<uint32_t> finishedCount{0};
  std::atomic<uint32_t> selectedCount{0};   // "path" entries of the selection file
  std::atomic<uint32_t> upToDateCount{0};   // files left out by the changed-only test
  std::atomic<uint32_t> changedCount{0};    // restored though changed since they were backed up
  std::atomic<uint32_t> lackingCount{0};    // copied whole without their times or attributes
  JobNotes notes;
  std::atomic<uint64_t> totalBytes{0};
  std::atomic<uint64_t> doneBytes{0};
  std::atomic<uint64_t> currentDone{0};
  std::atomic<uint64_t> currentSize{0};
  std::u16string targetRoot;  // "F:"
  std::atomic<int> scanning{0};
  std::u16string typeFilter;
  unsigned coderThreads = 0;  // threads coding a compressed copy; 0: one per processor
  std::atomic<int> compress{0};
  std::atomic<int> restore{0};
  std::atomic<int> changedOnly{0};
  std::atomic<int> encrypt{0};       // "SetPassword": files are stored in the encrypted form
  std::optional<StoreKey> storeKey;  // the target store's key, set before the worker starts
  // The person agreed that a backup without encryption stores readable
  // copies in a store that holds encrypted ones (and removes those).
  std::atomic<int> storeReadable{0};
  std::atomic<int> newFile{0};
  std::atomic<int> includeWindows{0};
  std::atomic<int> includeDocumentsAndSettings{0};
  std::atomic<int> includeProgramFiles{0};
  std::atomic<int> workerFinished{0};
  std::u16string systemDrive = SystemDriveOfThisMachine();  // "C:"
  PauseGate pause;

 private:
  mutable std::mutex mutex_;  // the job mutex: guards currentFile_
  std::u16string currentFile_;
  std::mutex volumesMutex_;
  std::map<char16_t, VolumeInfo> volumes_;
  mutable std::mutex failuresMutex_;
  std::set<std::u16string> failedFiles_;  // lowercased

 public:
  // The folders the walk entered, with what their listing said of them
  // (attributes, times): the copy pass gives them to their counterparts.
  std::vector<std::pair<std::u16string, FindEntry>> folderList;
};

// The process-wide flag: 0 while a job's worker runs, 1 once it has ended.
std::atomic<int>& JobFinishedFlag();

}  // namespace qtr
