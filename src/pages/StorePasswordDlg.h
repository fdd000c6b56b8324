// CStorePasswordDlg: asks for the password of an encrypted store made under
// a password other than the kept one, in the look of the disk password
// prompt. Each entry is tried at OK: a wrong one is told inside the dialog,
// which stays open; the right one closes it with IDOK.
#pragma once
#include <functional>
#include <string_view>

#include "pages/PasswordDialogFrame.h"
#include "ui/StoreKeyPrompt.h"

namespace qtr {

class CStorePasswordDlg : public PasswordDialogFrame {
 public:
  using Try = std::function<PasswordTry(std::string_view password)>;
  explicit CStorePasswordDlg(Try tryPassword);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;

 private:
  void TryEntry();

  Try try_;
};

}  // namespace qtr
