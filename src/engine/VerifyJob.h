// The "Verify backup" job: the check of the target's store against its index,
// run by the progress window as a job of its own with the figures a backup
// shows (files and bytes counted first, then read). It only reads: the store,
// the selection files and the backup record are left as they were.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "config/LanguageTable.h"
#include "engine/BackupJob.h"
#include "engine/VerifyStore.h"

namespace qtr {

// The reasons of the failure lines the job writes itself (the damaged lines
// carry the verify pass's own reason). Language texts are read on the
// window's thread only, so the window hands them over before the start.
struct VerifyReasons {
  std::u16string missing, unknown, notChecked, indexDamaged, keyCheckMissing;
  // In place of the verify pass's own words for the commonest damage.
  std::u16string sizeDiffers, contentDiffers, notDecoded, notContainer, changed;
};

// The reasons in table's language (the active one, on the window's thread;
// an inactive table gives the English defaults).
VerifyReasons VerifyReasonsFrom(const LanguageTable& table);

// What the job found, for the summary at its end.
struct VerifyOutcome {
  bool storeFound = false;  // the target holds a store folder
  bool stopped = false;
  bool indexDamaged = false;
  bool keyCheckMissing = false;
  uint64_t stored = 0;   // stored files met, as the Total figure counts them
  uint64_t checked = 0;  // files read and compared with their entry, damaged ones included
  uint64_t sound = 0, damaged = 0, missing = 0, unknown = 0, notChecked = 0;
  bool Damaged() const { return damaged != 0 || missing != 0; }
  bool Sound() const {
    return storeFound && !stopped && !Damaged() && unknown == 0 && notChecked == 0 && !indexDamaged &&
           !keyCheckMissing;
  }
};

// The job's side of a verify pass: the job's pause and stop, its byte and
// file counters, its current file. sizes holds the stored size of every file
// the pre-count met (keys lowercase), so each file counts in full once passed.
class JobVerifyControl : public VerifyControl {
 public:
  JobVerifyControl(BackupJob& job, std::map<std::u16string, uint64_t> sizes);
  bool WaitUnlessStopped() override;
  void AddProgress(uint64_t bytes) override;
  void OnFile(std::u16string_view path) override;
  // The last file's bytes and count, once the pass has gone through it.
  void FinishFile();

 private:
  BackupJob& job_;
  std::map<std::u16string, uint64_t> sizes_;
  bool inFile_ = false;
  uint64_t size_ = 0, counted_ = 0;
};

// The files below the store's one-letter drive folders, with their stored
// sizes: the job's scanned count and total bytes grow as they are met.
// False when the job was stopped meanwhile.
bool CountStoredFiles(BackupJob& job, std::u16string_view storeRoot,
                      std::map<std::u16string, uint64_t>* sizes);

// The worker of a verify of job.settings.targetRoot's store (a thread procedure):
// counts, verifies, writes a failure line "path;reason" for every damaged,
// missing, unknown and unchecked file and one for the index's own damage,
// then sets the stop flag as its last step, as every job's worker does.
VerifyOutcome RunVerifyJob(BackupJob& job, const VerifyReasons& reasons);
// The same with the reasons' English defaults.
VerifyOutcome RunVerifyJob(BackupJob& job);

// The line the window shows at the end: "N files checked: no damage found."
// or "N files checked: D damaged, M missing, U unknown.", and a sentence on
// encrypted files not checked; the table's texts, or the defaults.
std::u16string VerifySummaryText(const VerifyOutcome& outcome, const LanguageTable& table);

}  // namespace qtr
