// CMangeDialog: the File Management page (slot 2 of the page container).
// Two management trees side by side, each with a drop target, so that a
// person copies, moves and links between them; the disk password dialogs
// open from the trees' menus and before a locked disk's drive opens.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "trees/ManageTreeCtrl.h"
#include "trees/TreeDropTarget.h"
#include "widgets/PaintedDialog.h"

namespace qtr {

class DeviceList;
class Prompter;

class CMangeDialog : public PaintedDialog, private ManageTreeHost {
 public:
  static constexpr int kWidth = 542, kHeight = 284;
  // programFolder ends with a backslash; the prompter carries the password dialogs' messages.
  CMangeDialog(std::u16string programFolder, Prompter& prompter, DeviceList& devices);
  ~CMangeDialog() override;

  // Sets the title in the active language.
  void ShowTexts();
  CManageTreeCtrl& LeftTree() { return left_; }
  CManageTreeCtrl& RightTree() { return right_; }
  // The four trees that follow the file system, refreshed after a rename or drop.
  void SetAllTrees(ShellChangeSink* trees);
  // Clears the File Backup page's choice of target after a password command.
  void SetTargetReset(std::function<void(const std::u16string& diskPath)> reset) {
    targetReset_ = std::move(reset);
  }
  // Both trees filled again from the computer (a disk came or went).
  void Refill();
  // Re-reads the system-folder switches of init.xml for both trees.
  void ReadSystemFolderSwitches();

 protected:
  bool OnInit() override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  void PaintSurface(HDC dc, const RECT& client) override;

 private:
  void Layout();
  // ManageTreeHost
  bool VerifyPassword(const std::u16string& diskPath) override;
  void EditPassword(const std::u16string& diskPath, bool reset) override;
  void PasswordCommandDone(const std::u16string& diskPath) override;

  std::u16string programFolder_;
  Prompter& prompter_;
  DeviceList& devices_;
  CManageTreeCtrl left_, right_;
  CTreeDropTarget leftDrop_{left_}, rightDrop_{right_};
  std::function<void(const std::u16string& diskPath)> targetReset_;
};

}  // namespace qtr
