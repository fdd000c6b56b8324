// CBackUpDialog: the File Backup page (slot 1 of the page container). It
// holds the source tree, the target drive list with its target roots and
// the target tree; it registers for disk notifications, makes the first
// fill of the device list, follows disks coming and going, asks for the
// password of a locked disk, and ticks its host every 200 ms.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devices/DeviceChangeHandler.h"
#include "pages/BackUpPageHost.h"
#include "platform/Handles.h"
#include "trees/BackUpTreeCtrl.h"
#include "trees/UsbTreeCtrl.h"
#include "ui/ShellChange.h"
#include "widgets/PaintedDialog.h"

namespace qtr {

class Prompter;

class CBackUpDialog : public PaintedDialog, public DiskPageView {
 public:
  static constexpr int kWidth = 542, kHeight = 284;
  static constexpr UINT_PTR kTimerId = 1;
  static constexpr UINT kTickMs = 200;

  // programFolder ends with a backslash. The prompter shows the password
  // dialogs' messages; host may be set later.
  CBackUpDialog(std::u16string programFolder, Prompter& prompter, BackUpPageHost* host = nullptr,
                DeviceList& devices = DeviceList::Process(),
                EnclosureButton& button = EnclosureButton::Process());
  ~CBackUpDialog() override;

  void SetHost(BackUpPageHost* host) { host_ = host; }
  // Called after a disk came: the management trees are emptied and filled again.
  void SetManagementRefill(std::function<void()> refill) { refillManagement_ = std::move(refill); }
  // "Verify backup" was pressed: the container starts the check of the chosen target.
  void SetVerifyStart(std::function<void()> start) { startVerify_ = std::move(start); }
  // While a job runs no verify can start.
  void SetJobRunning(bool running);
  // The page's texts in the active language.
  void ShowTexts();

  CBackUpTreeCtrl& SourceTree() { return source_; }
  CUsbTreeCtrl& TargetTree() { return target_; }
  // The chosen entry of the target drive list ("E:"), empty when none.
  std::u16string SelectedTarget() const;
  int TargetCount() const;
  std::vector<std::u16string> TargetDrives() const;  // in list order
  const std::vector<std::u16string>& TargetRoots() const { return targetRoots_; }
  // Leaves the target drive list without a choice.
  void ClearTargetChoice();
  // A new choice in the target drive list: a locked disk asks for its
  // password first, while no partition is chosen; once it was accepted the
  // partition is chosen again and the target tree shows it.
  void SelectChange();
  // A password command of the File Management page changed the disk's lock:
  // its items in both trees follow it, and a locked disk is no choice (as a
  // whole disk or through the chosen partition).
  void PasswordCommandDone(const std::u16string& path);
  // A password dialog of a disk is open (its prompt, or the offer to set one).
  bool PasswordPromptOpen() const { return !askingPasswordOf_.empty(); }

  // DiskPageView, also used by the main window for drives that come and go.
  void AddTargetDrive(const std::u16string& drive) override;
  void RemoveTargetDrive(const std::u16string& drive) override;
  // The shell's drive-added and drive-removed notifications, handed on
  // before the trees get them: a letter of a listed disk that comes after
  // its disk becomes a target (and so is no local drive), one that goes is
  // no target any more.
  ShellChangeSink& DriveChanges() { return driveSink_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnTimer(UINT_PTR id) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  void PaintSurface(HDC dc, const RECT& client) override;

 private:
  void InitPage();
  // Places the trees and the list in the client area, whatever its size.
  void Layout();
  // "Verify backup" is there to press when a target is chosen and no job runs.
  void UpdateVerifyButton();
  void ShowDiskItems(const CUSBDevice& disk) override;
  void RemoveDiskItems(uint32_t deviceNumber) override;
  DiskChoice SourceChoice() override { return {source_.m_selectedDisk, source_.m_diskRemoved}; }
  DiskChoice TargetChoice() override { return {target_.m_selectedDisk, target_.m_diskRemoved}; }
  void RefillManagementTrees() override;
  void OpenPasswordSet(const std::u16string& path) override;
  void AskPassword(const std::u16string& path) override;
  void DiskRemoved() override;
  void DevicesChanged() override;
  // Asks for the password of the listed disk; true when it is open now.
  // While a dialog of the disk is open no second one opens (false).
  bool Unlock(const std::u16string& path);
  // Chooses the entry "X:" of the target drive list; false when it is gone.
  bool ChooseEntry(const std::u16string& drive);
  // State image 5 or 1 of the disk's items, from its record; a whole disk
  // chosen that is locked is chosen no more. False when the disk is not listed.
  bool ShowLockState(const std::u16string& path, bool* locked = nullptr);
  HWND DialogOwner() const;

  class DriveSink final : public ShellChangeSink {
   public:
    explicit DriveSink(DeviceChangeHandler& changes) : changes_(changes) {}
    void AddPath(const std::u16string&) override {}
    void RemovePath(const std::u16string&) override {}
    void RenameInPlace(const std::u16string&, const std::u16string&) override {}
    void DriveArrived(const std::u16string& path) override {
      if (path.size() >= 2) changes_.DriveArrived(path.substr(0, 2));
    }
    void DriveRemoved(const std::u16string& path) override {
      if (path.size() >= 2) changes_.DriveRemoved(path.substr(0, 2));
    }
    void UpdateShare(const std::u16string&) override {}
    void RefreshFolder(const std::u16string&) override {}
    void ChangeHandled() override {}

   private:
    DeviceChangeHandler& changes_;
  };

  std::u16string programFolder_;
  Prompter& prompter_;
  BackUpPageHost* host_;
  DeviceList& devices_;
  EnclosureButton& button_;
  DeviceChangeHandler changes_;
  DriveSink driveSink_{changes_};
  std::function<void()> refillManagement_;
  std::function<void()> startVerify_;
  bool jobRunning_ = false;
  CBackUpTreeCtrl source_;
  CUsbTreeCtrl target_;
  std::vector<std::u16string> targetRoots_;
  std::vector<std::u16string> askingPasswordOf_;  // interface paths of the disks whose dialog is open
  GdiObject<HFONT> titleFont_, font_;
  bool registered_ = false;
};

}  // namespace qtr
