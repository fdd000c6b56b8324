// The program's main window: a borderless, fixed-size dialog with its own
// painted title band and title buttons; it hosts the pages. While it comes
// up a splash window shows on a thread of its own.
#pragma once
#include <array>

#include <memory>

#include "config/XmlDocument.h"
#include "shell/ConfirmationDialog.h"
#include "shell/ProgressWindow.h"
#include "shell/ShellChange.h"
#include "shell/SplashWindow.h"
#include "shell/TrayIcon.h"
#include "widgets/Dialog.h"
#include "platform/Handles.h"
#include "widgets/PaintedDialog.h"
#include "widgets/Picture.h"
#include "widgets/PictureButton.h"
#include "widgets/Tooltip.h"
#include "widgets/WindowShape.h"

namespace qtr {

class CVantroDlg : public PaintedDialog, private JobWindowHost {
 public:
  static constexpr int kWidth = 642, kHeight = 436;

  static constexpr UINT kShellChangeMessage = WM_USER + 1000;
  static constexpr int kBackupHotKeyId = 1074;
  static constexpr UINT kJobEndedMessage = WM_APP + 1;
  static constexpr UINT kDevicesProblemMessage = WM_APP + 2;

  explicit CVantroDlg(bool withSplash = true);

  // Set when the settings file had to be written with defaults at this start.
  bool FirstRun() const { return firstRun_; }
  // Loads the named language table and shows every text of the window in it.
  void ApplyLanguage(const std::u16string& identifier);

  // Starts a backup (or a restore of everything stored) to the drive "X:"
  // in a progress window over the page area. A developer's command until
  // the pages exist; false while a job runs.
  bool StartJob(bool backup, const std::u16string& target);
  CPropressDlg* Job() const { return job_.get(); }
  HWND PageBoxWindow() const { return pageBox_.Handle(); }

  // Where the shell's file-system changes go (the trees); none: they are ignored.
  void SetShellChangeSink(ShellChangeSink* sink) { shellSink_ = sink; }
  // The trees that follow the file system; each change reaches them before the sink above.
  void AddShellChangeSink(ShellChangeSink* tree) { treeSinks_.Add(tree); }
  void RemoveShellChangeSink(ShellChangeSink* tree) { treeSinks_.Remove(tree); }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  void PaintSurface(HDC dc, const RECT& client) override;

 private:
  void CreateTitleButtons();
  void OpenHelp() const;
  void LoadFiles();
  void ShowPageControls(bool show);
  void JobStarted(CPropressDlg& window) override;
  void JobStopped(CPropressDlg& window) override;
  void JobClosed(CPropressDlg& window) override;
  void RefreshTrees(const std::u16string& target, const std::vector<std::u16string>& restoreRoots) override;
  void ShowTexts();
  void RegisterShellChanges();
  void OnShellChange(WPARAM w, LPARAM l);

  CInitDlg splash_;
  Picture background_, frame_, pageArea_, logo_;
  std::array<PictureButton, 4> titleButtons_;
  Tooltip tooltip_;
  CaptionDrag captionDrag_{60};
  CTrayIcon tray_;
  // The page container's place; its commands reach this window.
  class PageBox : public Dialog {
   public:
    explicit PageBox(CVantroDlg& owner);

   protected:
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;

   private:
    CVantroDlg& owner_;
  };
  PageBox pageBox_{*this};
  bool aboutShown_ = false;
  bool firstRun_ = false;
  std::u16string devicesProblem_;
  HICON trayIcon_ = nullptr;
  WindowPrompter prompter_{nullptr};
  std::unique_ptr<CPropressDlg> job_;
  XmlDocument settings_;
  ULONG shellRegistration_ = 0;
  ShellChangeSink* shellSink_ = nullptr;
  ShellChangeSinks treeSinks_;
};

}  // namespace qtr
