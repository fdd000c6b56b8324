// jobhistory.xml, the record of the jobs that ran: one record per backup,
// restore, verify or disk copy, added when the job ends, whoever started it
// (a person, the hotkey, the enclosure button, the schedule or qtrpack).
// What happened while nobody watched is read back from here: the History
// window, the tray's notification of an unattended job, the reminder when
// backups stop and the Quick Activate page's last-backup line.
//
// The file lives in the program folder beside init.xml, in the same XML,
// and is saved the way init.xml is: written whole under a partial name,
// flushed, and put in place by one replacing rename, so that a cut save
// leaves the old file whole. It keeps the newest kMaxRecords jobs. A file
// that does not load is set aside (renamed, never deleted) and a new one is
// started: a damaged history is never a reason for a job not to run.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/BackupRecord.h"
#include "platform/WholeFile.h"

namespace qtr {

inline constexpr std::u16string_view kJobHistoryFileName = u"jobhistory.xml";
// Where a history that did not load is kept (an older one is replaced).
inline constexpr std::u16string_view kDamagedJobHistoryFileName = u"jobhistory.damaged.xml";
// Held while a program adds a record: two appends at once would each write the file without the other's.
inline constexpr std::u16string_view kJobHistoryLockFileName = u"jobhistory.lock";

enum class HistoryJobKind { kBackup, kRestore, kVerify, kDiskCopy };

// What started the job.
enum class JobTrigger { kButton, kQuickActivate, kHotKey, kEnclosureButton, kSchedule, kCommandLine };

// How the job ended. A job that finished with failed files ended kFinished;
// its failedFiles say the rest.
enum class JobEnding {
  kFinished,
  kStoppedByPerson,
  kLowSpace,       // stopped because the target ran out of room
  kTargetRemoved,  // the target disk went during the job
  kStoppedByGuard, // the backup stopped replacing copies that looked encrypted by an attack
};

struct JobRecord {
  // Given by Append: one more than the highest in the file, never reused
  // while the record is kept (a notification names the record it opens).
  uint64_t id = 0;
  BackupStartTime started, ended;  // local times
  HistoryJobKind kind = HistoryJobKind::kBackup;
  JobTrigger trigger = JobTrigger::kButton;
  std::u16string target;    // "P:"; a disk copy's target disk, "WDC Passport #1"
  std::u16string diskName;  // the target disk's display name, may be empty
  uint64_t files = 0;        // files done (stored, restored, checked, or sectors' worth for a disk copy)
  uint64_t bytes = 0;
  uint64_t failedFiles = 0;
  JobEnding ending = JobEnding::kFinished;
  // The job's failure lines, the first kMaxLinesPerRecord of them; how many
  // more there were.
  std::vector<std::u16string> lines;
  uint64_t linesLeftOut = 0;

  // Finished with no failed file.
  bool Succeeded() const { return ending == JobEnding::kFinished && failedFiles == 0; }
  // Keeps a failure line while there is room for it, counts it otherwise:
  // a job with a million failed files keeps a hundred lines in memory.
  void AddLine(std::u16string line);
};

// "2026-03-07 09:05:00" back into its fields; nothing when it is not such a time.
std::optional<BackupStartTime> ParseBackupTime(std::u16string_view text);

class JobHistory {
 public:
  static constexpr size_t kMaxRecords = 300;
  static constexpr size_t kMaxLinesPerRecord = 100;

  // programFolder ends with a backslash.
  explicit JobHistory(std::u16string programFolder);

  const std::u16string& Path() const { return path_; }

  // Every record, oldest first; empty when there is no file. A file that
  // does not load is set aside first (see above).
  std::vector<JobRecord> Load() const;
  // The record with this id, if the file still keeps it.
  std::optional<JobRecord> Find(uint64_t id) const;
  // Adds record (lines beyond the bound counted in linesLeftOut), drops the
  // oldest beyond kMaxRecords and saves. The id given, or 0 when the file
  // could not be saved (the old file is then as it was).
  uint64_t Append(JobRecord record) const;

 private:
  std::u16string folder_;
  std::u16string path_;
};

// The history as the windows read it again and again (the Quick Activate
// page at every paint, the reminder every minute): the file is read anew
// only once its size or last-write time changed, whoever wrote it (the
// program or qtrpack), and the failure lines, which neither needs, are not
// kept.
class CachedJobHistory {
 public:
  explicit CachedJobHistory(std::u16string programFolder) : history_(std::move(programFolder)) {}

  // Every record, oldest first, without its lines.
  const std::vector<JobRecord>& Records();

 private:
  JobHistory history_;
  std::optional<WholeFileStamp> stamp_;  // of the file as records_ were read
  std::vector<JobRecord> records_;
};

}  // namespace qtr
