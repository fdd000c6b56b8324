// The schedule page under the "Backup on schedule" tab: one row per weekday,
// Monday first, with its check box, its time and a button that opens the
// time dialog for it.
#pragma once
#include "pages/SettingsSubPage.h"

namespace qtr {

class CTimingSetDlg : public SettingsSubPage {
 public:
  static constexpr UINT IDD = 151;
  explicit CTimingSetDlg(const SettingsHost& host) : SettingsSubPage(IDD, host) {}

  void ShowTexts() override;
  // Reads the seven days into the rows (adding missing days).
  void LoadControls();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void SetTime(size_t day);
};

}  // namespace qtr
