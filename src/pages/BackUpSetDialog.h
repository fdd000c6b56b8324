// The backup-settings page under the "Setting" tab: what follows a finished
// backup, the system folders, the backup status switches, data security and
// the backup hotkey. Every control writes its key to init.xml at once.
#pragma once
#include "pages/SettingsSubPage.h"

namespace qtr {

class CBackUpSetDialog : public SettingsSubPage {
 public:
  explicit CBackUpSetDialog(const SettingsHost& host) : SettingsSubPage(IDD, host) {}
  static constexpr UINT IDD = 150;

  void ShowTexts() override;
  // Reads the stored values into the controls (inserting missing keys).
  void LoadControls();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;

 private:
  // Marks exactly one completion and one status button from the stored values.
  void MarkRadios();
  void ShowHotKey();
  void EditHotKey();
  void OpenPasswordDialog();

  ControlColours field_{RGB(0, 0, 0), RGB(255, 255, 255)};
};

}  // namespace qtr
