// The progress window of a backup or restore: it starts the job's worker,
// shows its figures on a 1 ms timer, asks before stopping, stops by itself
// when the target fills up or goes away, and ends with its Close button.
// What the page container does around it goes through JobWindowHost.
#pragma once
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "config/JobHistory.h"
#include "diskcopy/DiskCopyJob.h"
#include "diskcopy/DiskCopyProgress.h"
#include "engine/BackupJob.h"
#include "engine/JobProgress.h"
#include "engine/JobThread.h"
#include "engine/VerifyJob.h"
#include "platform/Handles.h"
#include "ui/LocalTime.h"
#include "ui/Prompter.h"
#include "widgets/ControlColours.h"
#include "widgets/PaintedDialog.h"
#include "widgets/PictureButton.h"
#include "widgets/TextProgressBar.h"
#include "widgets/Tooltip.h"

namespace qtr {

class CPropressDlg;

// The page container as the progress window sees it.
class JobWindowHost {
 public:
  virtual ~JobWindowHost() = default;
  // The job starts: the page buttons are busy.
  virtual void JobStarted(CPropressDlg& window) = 0;
  // The user (or low space, or removal) stopped the job: clear the busy
  // flags and run the page's job-ended operation.
  virtual void JobStopped(CPropressDlg& window) = 0;
  // Close after the end: run the completion action of the job's kind.
  virtual void JobClosed(CPropressDlg& window) = 0;
  // The file trees read the target drive (and restored folders) again.
  virtual void RefreshTrees(const std::u16string& target,
                            const std::vector<std::u16string>& restoreRoots) = 0;
  // The job ended and its record was made (id 0 when the history could not
  // be saved); the record is told once, before any message about the end.
  virtual void JobRecorded(const JobRecord& record) = 0;
};

struct JobWindowSettings {
  bool diskCopy = false;                 // a quick backup: one whole disk onto another
  int sourceDisk = -1, targetDisk = -1;  // indexes in the device list, for a quick backup
  bool backup = true;                    // false: a restore
  int pageFlag = 0;                      // 0 File Backup page, 1 quick launch
  std::u16string caption;                // shown while the selection is counted
  std::u16string target;                 // "F:"
  std::u16string typeFilter;             // the file types to leave out
  std::u16string programFolder;          // with its trailing "\"
  bool verify = false;                   // a check of the target's store against its index
  // The target store's key, when it is encrypted: one owner, handed to the job when it starts.
  std::shared_ptr<const StoreKey> storeKey;
  bool storeReadable = false;  // the person agreed to store readable copies in an encrypted store
  // For the job's record: what started it, the target disk's name (a disk
  // copy's whole target: "WDC Passport #1"), and the clock its times come
  // from (null: the system's).
  JobTrigger trigger = JobTrigger::kButton;
  // Someone watches (a button, or the window shown): the guard asks before
  // it stops a backup; otherwise it stops without asking.
  bool personWatching = true;
  std::u16string diskName;
  LocalClock* clock = nullptr;
};

class CPropressDlg : public PaintedDialog, private JobReporter {
 public:
  static constexpr int kWidth = 542, kHeight = 284;

  CPropressDlg(const JobWindowSettings& settings, FileSystem& fs, Prompter& prompter, JobWindowHost& host);
  ~CPropressDlg() override;

  // The job's figures, for whoever wants to look (tests).
  const BackupJob& Job() const { return *job_; }
  const DiskCopyJob& DiskCopy() const { return diskJob_; }
  const JobWindowSettings& Settings() const { return settings_; }
  bool Ended() const { return ended_; }
  // The job's worker: whether it has ended, for whoever waits on it (tests).
  const JobThread& Worker() const { return worker_; }

  // A drive ("X:") went away; the job ends when it is the target.
  void OnTargetRemoved(const std::u16string& drive);
  void StopJob();
  void CloseJobWindow();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnTimer(UINT_PTR id) override;
  void PaintSurface(HDC dc, const RECT& client) override;
  INT_PTR ColourStatic(HDC dc) override;

 private:
  void AddFailureLine(const std::u16string& line) override;  // worker thread
  void MoveFailureLinesToList();
  void CreateControls();
  void ShowProgressControls(bool show);
  void SetText(int id, const std::u16string& text);
  void Render(const JobView& view);
  void RenderDiskCopy(const DiskCopyView& view);
  void ShowCloseButton();
  void FinishJob(bool nothingCopied);
  void EndWorker();
  // The stop after it was confirmed (or needed no question): the window
  // hides and the host hears of it. The host may delete the window then.
  void AcceptStop();
  // The last figures once the worker has left: its final failure lines and finished count.
  void TakeFinalFigures();
  // The failure list is as high as a whole number of rows, scroll bar or not.
  void FitFailureListToRows();
  // Adds the job's record to the history and, unless told not to, tells the host; once.
  void RecordEnd(JobEnding ending, bool tellHost = true);
  JobRecord record_;  // its failure lines gather as they reach the list
  bool recorded_ = false;
  int listMost_ = 0;  // the failure list's height at most, in whole rows

  JobWindowSettings settings_;
  FileSystem& fs_;
  Prompter& prompter_;
  JobWindowHost& host_;
  std::unique_ptr<BackupJob> job_;
  std::unique_ptr<JobTicker> ticker_;
  JobThread worker_;
  DiskCopyJob diskJob_;
  DiskCopyWorker diskWorker_;
  std::unique_ptr<DiskCopyTicker> diskTicker_;
  std::mutex linesMutex_;
  std::vector<std::u16string> pendingLines_;
  bool noPrompt_ = false;
  bool promptOpen_ = false;
  bool finishAllowed_ = false;
  bool ended_ = false;
  bool timerRunning_ = false;
  bool targetGone_ = false;      // the target went while a question was open
  bool completionOpen_ = false;  // the completion message is open
  VerifyOutcome verifyOutcome_;  // a verify's findings, read once its worker has been joined
  GdiObject<HFONT> titleFont_, labelFont_, valueFont_;
  TextProgressBar overallBar_, fileBar_;
  PictureButton stopButton_, closeButton_;
  Tooltip tooltip_;
  ControlColours labelColours_{RGB(20, 30, 40), RGB(255, 255, 255)};
};

// The progress window of the job that runs now, or none.
CPropressDlg*& CurrentProgressWindow();

}  // namespace qtr
