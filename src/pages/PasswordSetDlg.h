// CPasswordSetDlg: sets, changes or removes the password of a supported
// disk. In set mode (the disk has none) the old-password field is disabled;
// in reset mode the old password must be given. Opened for the backup
// password instead of a disk, it keeps the new password sealed for this
// Windows user (an empty one removes it). Every message goes through the
// prompter.
#pragma once
#include <string>

#include "pages/PasswordDialogFrame.h"

namespace qtr {

class BackupPassword;
class DeviceList;
class Prompter;

class CPasswordSetDlg : public PasswordDialogFrame {
 public:
  // For the listed disk with the interface path diskPath; list null: not for
  // a disk. The disk is looked up again at OK, since it may have gone.
  CPasswordSetDlg(Prompter& prompter, DeviceList* list, std::u16string diskPath, bool resetMode);
  // For the backup password. required: a backup waits for it, so an empty
  // entry is refused rather than removing the kept one.
  CPasswordSetDlg(Prompter& prompter, BackupPassword& backupPassword, bool required);
  ~CPasswordSetDlg() override;

  // The backup password kept at OK (UTF-8); empty otherwise.
  const std::string& KeptPassword() const { return keptPassword_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void Apply();
  void ApplyBackupPassword();

  Prompter& prompter_;
  DeviceList* list_;
  std::u16string diskPath_;
  bool resetMode_;
  BackupPassword* backupPassword_ = nullptr;
  bool required_ = false;
  std::string keptPassword_;
};

}  // namespace qtr
