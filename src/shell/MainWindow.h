// The program's main window: a borderless, fixed-size dialog with its own
// painted title band and title buttons; it hosts the pages. While it comes
// up a splash window shows on a thread of its own.
#pragma once
#include <array>

#include <memory>

#include "config/JobHistory.h"
#include "pages/ConfirmationDialog.h"
#include "pages/PageBox.h"
#include "platform/Handles.h"
#include "shell/ProgramFolder.h"
#include "shell/SplashWindow.h"
#include "shell/TrayIcon.h"
#include "ui/ShellChange.h"
#include "widgets/Dialog.h"
#include "widgets/PaintedDialog.h"
#include "widgets/Picture.h"
#include "widgets/PictureButton.h"
#include "widgets/Tooltip.h"
#include "widgets/WindowShape.h"
#include "xml/XmlDocument.h"

namespace qtr {

class CVantroDlg : public PaintedDialog {
 public:
  static constexpr int kWidth = 642, kHeight = 436;

  static constexpr UINT kShellChangeMessage = WM_USER + 1000;
  static constexpr int kBackupHotKeyId = 1074;
  static constexpr UINT kDevicesProblemMessage = WM_APP + 2;

  explicit CVantroDlg(bool withSplash = true);

  // Set when the settings file had to be written with defaults at this start.
  bool FirstRun() const { return firstRun_; }
  // Loads the named language table and shows every text of the window in it.
  void ApplyLanguage(const std::u16string& identifier);
  // Opens the History window, on the job of jobId (0: none); a click on a
  // job's balloon leads here.
  void OpenHistory(uint64_t jobId);

  // The page container; null before OnInit.
  CPageBox* PageBox() const { return pageBox_.get(); }
  HWND PageBoxWindow() const { return pageBox_ ? pageBox_->Handle() : nullptr; }

  // A job ended: while the window is hidden its balloon says how.
  void OnJobRecorded(const JobRecord& record);
  // The tray icon, whose balloons tell about jobs and the reminder.
  const CTrayIcon& Tray() const { return tray_; }
  // Every minute: the reminder when backups stop, said at most once a day.
  static constexpr UINT_PTR kReminderTimer = 0x5245;

  // Where the shell's file-system changes go (the trees); none: they are ignored.
  void SetShellChangeSink(ShellChangeSink* sink) { shellSink_ = sink; }
  // The trees that follow the file system; each change reaches them before the sink above.
  void AddShellChangeSink(ShellChangeSink* tree) { treeSinks_.Add(tree); }
  void RemoveShellChangeSink(ShellChangeSink* tree) { treeSinks_.Remove(tree); }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  bool OnTimer(UINT_PTR id) override;
  void PaintSurface(HDC dc, const RECT& client) override;

 private:
  void CreateTitleButtons();
  void OpenHelp() const;
  void LoadSettingsAndLanguage();
  void LoadFiles();
  void CreatePageBox();
  void RegisterBackupHotKey();
  void ShowTexts();
  void RegisterShellChanges();
  void OnShellChange(WPARAM w, LPARAM l);
  void Notify(const std::u16string& text, bool warning, uint64_t jobId);
  void CheckReminder();
  LocalClock& Clock() const { return clock_ ? *clock_ : SystemLocalClock(); }

  CInitDlg splash_;
  Picture background_, frame_, pageArea_, logo_;
  std::array<PictureButton, 4> titleButtons_;
  Tooltip tooltip_;
  CaptionDrag captionDrag_{60};
  CTrayIcon tray_;
  CachedJobHistory history_{ProgramFolder()};  // read by the reminder every minute
  bool aboutShown_ = false;
  bool firstRun_ = false;
  std::u16string devicesProblem_;
  HICON trayIcon_ = nullptr;
  WindowPrompter prompter_{nullptr};
  // Hands the page container's device-state rule every handled change.
  class DeviceStateSink : public ShellChangeSink {
   public:
    CPageBox* box = nullptr;
    void AddPath(const std::u16string&) override {}
    void RemovePath(const std::u16string&) override {}
    void RenameInPlace(const std::u16string&, const std::u16string&) override {}
    void DriveArrived(const std::u16string&) override {}
    void DriveRemoved(const std::u16string&) override {}
    void UpdateShare(const std::u16string&) override {}
    void RefreshFolder(const std::u16string&) override {}
    void ChangeHandled() override {
      if (box != nullptr) box->ApplyDeviceState();
    }
  };
  DeviceStateSink deviceState_;
  std::unique_ptr<LocalClock> clock_;  // a simulated clock, when the program folder has one
  std::unique_ptr<CPageBox> pageBox_;
  XmlDocument settings_;
  ULONG shellRegistration_ = 0;
  ShellChangeSink* shellSink_ = nullptr;
  ShellChangeSinks treeSinks_;
};

}  // namespace qtr
