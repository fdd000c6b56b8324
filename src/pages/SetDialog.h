// The Setting page, in the page container's fourth slot: four tab buttons
// over the backup-settings, schedule and other-settings pages. The
// other-settings page serves two tabs, one group each. There is no OK or
// Apply: every control writes its setting at once.
#pragma once
#include <array>
#include <string>

#include "pages/BackUpSetDialog.h"
#include "pages/OtherSetDlg.h"
#include "pages/SettingsHost.h"
#include "pages/SettingsTabButton.h"
#include "pages/TimingSetDlg.h"
#include "platform/Handles.h"
#include "widgets/PaintedDialog.h"

namespace qtr {

class CSetDialog : public PaintedDialog {
 public:
  static constexpr UINT IDD = 142;
  static constexpr int kWidth = 542, kHeight = 284;
  enum class Tab { kBackup, kSchedule, kFileFilter, kOthers };

  explicit CSetDialog(SettingsHost host);

  // Creates the page as a child of the container, placed at place.
  bool Create(HWND parent, const RECT& place);
  void ShowTab(Tab tab);
  Tab CurrentTab() const { return tab_; }

  // The file-type filter for a backup starting now: the stored file-type
  // boxes and the "Others" field; empty means every file.
  std::u16string FileTypeFilter() const;

  CBackUpSetDialog& BackupPage() { return backup_; }
  CTimingSetDlg& SchedulePage() { return schedule_; }
  COtherSetDlg& OthersPage() { return others_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  void PaintSurface(HDC dc, const RECT& client) override;

 private:
  void ShowTexts();

  SettingsHost host_;
  CBackUpSetDialog backup_{host_};
  CTimingSetDlg schedule_{host_};
  COtherSetDlg others_{host_};
  std::array<SettingsTabButton, 4> tabs_;
  Tab tab_ = Tab::kBackup;
  GdiObject<HFONT> tabFont_;
};

}  // namespace qtr
