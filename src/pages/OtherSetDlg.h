// The other-settings page. Its general group (tab "Others") holds autostart,
// the enclosure-button switch, the language list, the reminder when backups
// stop, the button that opens the History window and how long previous
// versions are kept; its file-filter group
// (tab "File filter") the file-type boxes and the "Others" extension field.
// The Setting page shows one group at a time.
#pragma once
#include <string>
#include <vector>

#include "config/LanguageTable.h"
#include "pages/SettingsSubPage.h"

namespace qtr {

class COtherSetDlg : public SettingsSubPage {
 public:
  static constexpr UINT IDD = 152;
  explicit COtherSetDlg(const SettingsHost& host);

  void ShowTexts() override;
  void LoadControls();
  // true: the file-filter group; false: the general group.
  void ShowGroup(bool fileFilter);
  // What the "Others" field adds to the filter: its text while the box is
  // ticked, nothing otherwise.
  std::u16string OthersExtensions() const;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;

 private:
  void SwitchAutoStart();
  void SwitchButtonPolling();
  void OnLanguagePicked();
  void ToggleOthers();
  // The reminder's and the versions' lists of days.
  struct DayList {
    int id;
    std::u16string (*text)(int days, const LanguageTable& table);
    int fallback;  // when nothing is chosen
    std::vector<int> choices;
  };
  void ShowDayChoices(const DayList& list, int days);
  int ChosenDays(const DayList& list) const;
  // Fills the list again when its texts are not those of the active language.
  void FollowLanguage(const DayList& list);
  bool HaveDisks() const;

  std::vector<std::u16string> languages_;
  DayList reminder_;
  DayList versions_;
  int currentLanguage_ = -1;
  // The prompt as the field shows it, so that a language change can replace it.
  std::u16string shownPrompt_;
  ControlColours field_{RGB(0, 0, 0), RGB(255, 255, 255)};
  ControlColours prompt_{RGB(100, 100, 100), RGB(255, 255, 255)};
};

}  // namespace qtr
