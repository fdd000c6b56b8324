// The start sequences of the page container: the backup start (file backup
// or disk copy), the scheduled start, the quick launch and the restore
// start, each with its checks, messages and confirmation, up to the
// hand-over of the job to the progress window.
#pragma once
#include <string>

#include "ui/DiskCopyChecks.h"
#include "ui/PageBoxState.h"
#include "ui/Prompter.h"

namespace qtr {

struct JobStart {
  enum class Kind { Backup, Restore, DiskCopy, Verify };
  Kind kind = Kind::Backup;
  bool quickLaunch = false;                // the job takes the Quick Activate page's slot
  // The schedule, the hotkey, the enclosure button or the one-click page
  // started it: nobody may be there to answer a question about the store.
  bool unattended = false;
  int sourceIndex = -1, targetIndex = -1;  // device-list indexes of a disk copy
  std::u16string target;                   // the target list's text, "F:"; empty for a disk copy
  JobTrigger trigger = JobTrigger::kButton;  // for the job's record
};

// What the sequences read from the File Backup page and do through the windows.
class StartWorld {
 public:
  // Source tree: its root in the files-selected state (some files ticked).
  virtual bool SourceFilesSelected() = 0;
  // Source tree: its root in the nothing-selected state, or its first child unchecked.
  virtual bool SourceNothingSelected() = 0;
  // The whole disks chosen in the source and the target tree (device numbers, -1 none).
  virtual int SourceDisk() = 0;
  virtual int TargetDisk() = 0;
  // The target list's selected text and its number of entries.
  virtual std::u16string TargetText() = 0;
  virtual int TargetEntries() = 0;
  // The chosen target partition cannot take a store (unformatted, unusable).
  virtual bool TargetNotUsable() = 0;
  virtual bool TargetTreeHasRoot() = 0;
  virtual bool TargetRootUnchecked() = 0;
  // The setting "MakeSure" is "1".
  virtual bool MakeSureOn() = 0;
  // A password prompt of a disk is open: no start proceeds meanwhile.
  virtual bool PasswordPromptOpen() = 0;
  // The chosen target partition is on a disk whose password was not entered.
  virtual bool TargetLocked() = 0;
  // The listed disk with this device number has a password that was not entered.
  virtual bool DiskLocked(int deviceNumber) = 0;
  // The display name of the listed disk with this device number, empty when none.
  virtual std::u16string DiskName(int deviceNumber) = 0;
  // A start confirmation: while it is shown an enclosure press may confirm it.
  virtual bool Confirm(const Question& question) = 0;
  // A confirmation only a person gives: no countdown, no enclosure press.
  virtual bool ConfirmByPerson(const Question& question) = 0;
  // Any other question or message.
  virtual bool Ask(const Question& question) = 0;
  virtual CopyStartCheck CheckDiskCopy(int sourceNumber, int targetNumber) = 0;
  // Prepares the target and puts the progress window in place; false when
  // the window could not be made.
  virtual bool HandOver(const JobStart& start) = 0;

 public:
  virtual ~StartWorld() = default;
};

// A disk's display name as the windows show it: the padding of its vendor
// and product fields collapsed to single spaces ("WDC     Passport" -> "WDC Passport").
std::u16string CollapsedDiskName(const std::u16string& displayName);
// "WDC     Passport" as a person reads it, with its number: "WDC Passport #1".
std::u16string ShownDiskName(const std::u16string& displayName, int number);

// The question before a disk copy, naming both disks ("WDC Passport #1",
// from the display name and the device number).
Question DiskCopyQuestion(const std::u16string& sourceName, int sourceNumber, const std::u16string& targetName,
                          int targetNumber);

enum class StartResult {
  Ignored,    // another start or a job was under way
  Refused,    // a check failed; its message was shown
  Cancelled,  // the confirmation was cancelled
  Failed,     // the progress window could not be made
  Started,
};

class StartSequence {
 public:
  StartSequence(PageBoxState& state, StartWorld& world) : state_(state), world_(world) {}

  // The Backup button, the hotkey and the enclosure button.
  StartResult StartBackup();
  // The weekly schedule found a backup due.
  StartResult ScheduledStart();
  // The Quick Activate page's launch button.
  StartResult QuickLaunch();
  // The Restore button.
  StartResult StartRestore();
  // The File Backup page's "Verify backup": a check of the chosen target's
  // store. It asks nothing first, since it changes nothing.
  StartResult StartVerify();

 private:
  // Another start or a job is under way, or a password is being asked.
  bool Held() const { return !state_.Idle() || world_.PasswordPromptOpen(); }
  StartResult Abandon(StartResult result);
  StartResult Refuse(TextId title, TextId message);
  // The file-backup checks shared by every start of a file backup.
  bool FileBackupChecksPass(bool checkUsable);
  StartResult HandOver(const JobStart& start);

  PageBoxState& state_;
  StartWorld& world_;
};

}  // namespace qtr
