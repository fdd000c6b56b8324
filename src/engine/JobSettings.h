// What a job is asked to do, fixed before its worker starts (the options
// from init.xml are put on it once more at the worker's start, before the
// walk reads them): its kind, target, filters, forms and key.
#pragma once
#include <atomic>
#include <optional>
#include <string>

#include "engine/JobKind.h"
#include "engine/JobNotes.h"
#include "engine/StoreKey.h"

namespace qtr {

// "C:" from the system directory; "C:" where there is none.
std::u16string SystemDriveOfThisMachine();

struct JobSettings {
  bool IsBackup() const { return kind == JobKind::kBackup; }

  JobKind kind = JobKind::kBackup;
  std::u16string targetRoot;  // "F:"
  std::u16string typeFilter;
  unsigned coderThreads = 0;  // threads coding a compressed copy; 0: one per processor
  std::atomic<int> compress{0};
  std::atomic<int> changedOnly{0};
  std::atomic<int> encrypt{0};       // "SetPassword": files are stored in the encrypted form
  std::optional<StoreKey> storeKey;  // the target store's key, set before the worker starts
  // The person agreed that a backup without encryption stores readable
  // copies in a store that holds encrypted ones (and removes those).
  std::atomic<int> storeReadable{0};
  std::atomic<int> includeWindows{0};
  std::atomic<int> includeDocumentsAndSettings{0};
  std::atomic<int> includeProgramFiles{0};
  std::u16string systemDrive = SystemDriveOfThisMachine();  // "C:"
  JobNotes notes;
  // The date and time in the names of replaced files a restore keeps
  // beside their restored copies ("2026-12-09 1830"); the pass's start when empty.
  std::u16string setAsideStamp;
  // A backup keeps the stored copies it replaces as previous versions for
  // this many days ("VersionDays"); 0 keeps none. The stamp names the job's
  // version folder ("2026-12-09 193800"); the worker's start when empty, and
  // the backup puts the name it took here (".2" when one was there).
  int versionDays = 0;
  std::u16string versionStamp;
  // A restore of the store as it stood when the job of this stamp started:
  // each file's earliest previous version from that job on, else its
  // current copy. Empty: the current copies.
  std::u16string asOfStamp;
};

}  // namespace qtr
