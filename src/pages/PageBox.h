// CPageBox: the page container below the main window's title band. Four
// pages behind four page buttons, the Minimize, Backup and Restore buttons,
// the start sequences, the triggers and the completion actions; a job's
// progress window takes the slot of the page that started it.
#pragma once
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "devices/DeviceList.h"
#include "devices/EnclosureButton.h"
#include "pages/BackUpDialog.h"
#include "pages/ConfirmationDialog.h"
#include "pages/MangeDialog.h"
#include "pages/PageButton.h"
#include "pages/ProgressWindow.h"
#include "pages/QuickDialog.h"
#include "pages/SetDialog.h"
#include "platform/FileSystem.h"
#include "ui/BackupTriggers.h"
#include "ui/CompletionAction.h"
#include "ui/JobHandOver.h"
#include "ui/LocalTime.h"
#include "ui/PageBoxState.h"
#include "ui/StartSequence.h"
#include "widgets/PaintedDialog.h"
#include "widgets/Picture.h"
#include "widgets/PictureButton.h"
#include "widgets/Tooltip.h"

namespace qtr {

// What the page container runs on; a test gives its own answers and seams.
struct PageBoxServices {
  std::u16string programFolder;
  HWND mainWindow = nullptr;      // shown by the triggers, hidden by Minimize; owns the hotkey
  Prompter* prompter = nullptr;   // null: the confirmation window
  FileSystem* fs = nullptr;       // null: the system's
  PowerControl* power = nullptr;  // null: the system's
  LocalClock* clock = nullptr;    // null: the system's
  DeviceList* devices = nullptr;  // null: the program's
  EnclosureButton* button = nullptr;
  // The Setting page's language choice: every window shows its texts again.
  std::function<void(const std::u16string& identifier)> applyLanguage;
  // Every job that ended, with its record as the history keeps it.
  std::function<void(const JobRecord& record)> jobRecorded;
  // The Setting page's "History..." button.
  std::function<void()> openHistory;
};

class CPageBox : public PaintedDialog,
                 public BackUpPageHost,
                 private JobWindowHost,
                 private StartWorld,
                 private TriggerWindow {
 public:
  static constexpr int kWidth = 628, kHeight = 340;
  static constexpr UINT kJobEndedMessage = WM_APP + 11;
  static constexpr UINT kJobClosedMessage = WM_APP + 12;
  enum Slot { kQuickSlot = 0, kBackUpSlot = 1, kManageSlot = 2, kSetSlot = 3 };

  explicit CPageBox(const PageBoxServices& services);
  ~CPageBox() override;

  // Creates the container as a child of the main window at (x, y).
  bool Create(HWND parent, int x, int y, bool firstRun);

  void SwitchToSlot(int slot);
  int CurrentSlot() const { return current_; }
  HWND SlotWindow(int slot) const { return slots_[static_cast<size_t>(slot)]; }
  const PageBoxState& State() const { return state_; }
  CPropressDlg* Job() const { return job_.get(); }
  CBackUpDialog& BackUpPage() { return backUp_; }
  CMangeDialog& ManagePage() { return manage_; }
  CQuickDialog& QuickPage() { return quick_; }
  CSetDialog* SetPage() { return set_.get(); }
  const BackupTriggers& Triggers() const { return triggers_; }

  // WM_HOTKEY of the main window.
  void OnHotKey() { triggers_.OnHotKey(); }
  // Every text of the container and its pages in the active language.
  void ShowTexts();
  // BackUpPageHost
  void OnPageTick() override { triggers_.OnTick(); }
  void OnDiskRemoved() override;
  void ApplyDeviceState() override;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  void PaintSurface(HDC dc, const RECT& client) override;

 private:
  void CreateButtons();
  void CreatePages();
  void EnablePageButtons(bool enable);
  void UpdateBottomButtons();
  RECT PageArea() const;
  // The page goes back into its slot once the job's window is gone.
  void PutPageBack(int slot);
  void JobCancelled();
  void CompleteJob();
  void ReportRemovedDisks();

  // JobWindowHost
  void JobStarted(CPropressDlg&) override {}
  void JobStopped(CPropressDlg& window) override;
  void JobClosed(CPropressDlg& window) override;
  void RefreshTrees(const std::u16string& target, const std::vector<std::u16string>& restoreRoots) override;
  void JobRecorded(const JobRecord& record) override {
    if (jobRecorded_) jobRecorded_(record);
  }
  // The display name of the listed disk that holds this drive ("P:"), empty when none.
  std::u16string DiskNameOfDrive(const std::u16string& drive);

  // StartWorld
  bool SourceFilesSelected() override { return backUp_.SourceTree().FilesSelected(); }
  bool SourceNothingSelected() override { return backUp_.SourceTree().NothingSelected(); }
  int SourceDisk() override { return backUp_.SourceTree().m_selectedDisk; }
  int TargetDisk() override { return backUp_.TargetTree().m_selectedDisk; }
  std::u16string TargetText() override { return backUp_.SelectedTarget(); }
  int TargetEntries() override { return backUp_.TargetCount(); }
  bool TargetNotUsable() override { return backUp_.TargetTree().TargetUnusable(); }
  bool TargetTreeHasRoot() override { return backUp_.TargetTree().HasRootItem(); }
  bool TargetRootUnchecked() override;
  bool MakeSureOn() override;
  bool PasswordPromptOpen() override { return backUp_.PasswordPromptOpen(); }
  bool TargetLocked() override;
  bool DiskLocked(int deviceNumber) override;
  std::u16string DiskName(int deviceNumber) override;
  bool Confirm(const Question& question) override { return ShowConfirmation(question, false); }
  bool ConfirmByPerson(const Question& question) override { return ShowConfirmation(question, true); }
  // personOnly: no enclosure press confirms it.
  bool ShowConfirmation(const Question& question, bool personOnly);
  bool Ask(const Question& question) override { return prompter_->Ask(question); }
  CopyStartCheck CheckDiskCopy(int sourceNumber, int targetNumber) override;
  bool HandOver(const JobStart& start) override;
  // The steps of the hand-over, as PlanHandOver lays them out.
  JobWindowSettings WindowSettingsFor(const JobStart& start, const HandOverPlan& plan) const;
  // The store's key or the agreement to readable copies; false: no job.
  bool AskBeforeJob(const JobStart& start, const HandOverPlan& plan, JobWindowSettings& settings);
  // What the job finds in place when it starts.
  void PrepareJob(const JobStart& start, const HandOverPlan& plan, XmlDocument& init, JobWindowSettings& settings);
  // The progress window takes the slot of the page that started the job.
  bool ShowJobWindow(const JobWindowSettings& settings, int slot);

  // TriggerWindow
  void ShowMainWindow() override;
  void SwitchToBackUpPage() override { SwitchToSlot(kBackUpSlot); }
  void StartBackup() override { sequence_.StartBackup(); }
  void ScheduledStart() override { sequence_.ScheduledStart(); }
  bool ConfirmOpenQuestion() override;
  bool TakeEnclosurePress() override { return button_.ConsumePressed(); }
  LocalTime Now() override { return clock_.Now(); }
  void LoadSettings(XmlDocument& settings) override;

  std::u16string programFolder_;
  HWND mainWindow_;
  WindowPrompter windowPrompter_;
  Prompter* prompter_;
  bool ownQuestions_;
  FileSystem& fs_;
  PowerControl& power_;
  LocalClock& clock_;
  DeviceList& devices_;
  EnclosureButton& button_;
  std::function<void(const JobRecord&)> jobRecorded_;

  PageBoxState state_;
  StartSequence sequence_{state_, *this};
  BackupTriggers triggers_{state_, *this};
  CMakeSureDlg* openConfirmation_ = nullptr;
  bool openConfirmationPersonOnly_ = false;
  bool firstRun_ = false;
  // Whether the main window was up when the hotkey or the enclosure button
  // last started a backup, before the start showed it.
  bool shownAtOutsideStart_ = true;

  CQuickDialog quick_;
  CBackUpDialog backUp_;
  CMangeDialog manage_;
  std::unique_ptr<CSetDialog> set_;
  std::array<HWND, 4> slots_{};
  int current_ = kQuickSlot;
  std::unique_ptr<CPropressDlg> job_;

  Picture body_, column_, band_;
  GdiObject<HFONT> pageFont_;
  std::array<PageButton, 4> pageButtons_;
  std::array<PictureButton, 3> bottomButtons_;
  Tooltip tooltip_;
};

}  // namespace qtr
