// CPasswordSetDlg: sets, changes or removes the password of a supported
// disk. In set mode (the disk has none) the old-password field is disabled;
// in reset mode the old password must be given. Opened without a disk it
// only checks that the two new entries match. Every message goes through
// the prompter.
#pragma once
#include <string>

#include "pages/PasswordDialogFrame.h"

namespace qtr {

class DeviceList;
class Prompter;

class CPasswordSetDlg : public PasswordDialogFrame {
 public:
  // For the listed disk with the interface path diskPath; list null: not for
  // a disk. The disk is looked up again at OK, since it may have gone.
  CPasswordSetDlg(Prompter& prompter, DeviceList* list, std::u16string diskPath, bool resetMode);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void Apply();

  Prompter& prompter_;
  DeviceList* list_;
  std::u16string diskPath_;
  bool resetMode_;
};

}  // namespace qtr
