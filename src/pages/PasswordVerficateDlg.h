// PasswordVerficateDlg: asks for the password of a locked disk. A wrong or
// empty entry is told inside the dialog, which stays open; the right one
// unlocks the disk and closes it with IDOK.
#pragma once
#include <string>

#include "pages/PasswordDialogFrame.h"

namespace qtr {

class DeviceList;

class PasswordVerficateDlg : public PasswordDialogFrame {
 public:
  // For the listed disk with the interface path diskPath, looked up again at OK.
  PasswordVerficateDlg(DeviceList& list, std::u16string diskPath);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;

 private:
  void Verify();

  DeviceList& list_;
  std::u16string diskPath_;
};

}  // namespace qtr
