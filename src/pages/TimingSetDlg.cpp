#include "pages/TimingSetDlg.h"

#include <vector>

#include "pages/ScheduleDays.h"
#include "pages/TimeSet.h"
#include "resource.h"

namespace qtr {

bool CTimingSetDlg::OnInit() {
  // One row per day: its box, its time, its button.
  std::vector<ControlPlace> places;
  for (int row = 0; row < 7; ++row) {
    const int y = 14 + row * 32;
    places.push_back({IDC_SCHEDULE_DAY + row, 80, y, 150, 20});
    places.push_back({IDC_SCHEDULE_TIME + row, 240, y + 2, 60, 18});
    places.push_back({IDC_SCHEDULE_SET + row, 310, y - 2, 130, 24});
  }
  Place(places);
  ShowTexts();
  LoadControls();
  return true;
}

void CTimingSetDlg::LoadControls() {
  XmlDocument doc;
  File().SetUpPage(SettingsPage::kSchedule, doc);
  const auto days = ScheduleDays();
  for (size_t i = 0; i < days.size(); ++i) {
    const int row = static_cast<int>(i);
    SetText(IDC_SCHEDULE_TIME + row, ScheduleDayTiming(doc, days[i].element));
    Check(IDC_SCHEDULE_DAY + row, ScheduleDayIsSet(doc, days[i].element));
  }
}

void CTimingSetDlg::ShowTexts() {
  const auto days = ScheduleDays();
  for (size_t i = 0; i < days.size(); ++i) {
    const int row = static_cast<int>(i);
    SetText(IDC_SCHEDULE_DAY + row, days[i].label);
    SetText(IDC_SCHEDULE_SET + row, TextId::SetTime);
  }
}

void CTimingSetDlg::SetTime(size_t day) {
  const auto days = ScheduleDays();
  CTimeSet dialog(host_, std::u16string(days[day].element), DisplayText(days[day].label));
  if (dialog.RunModal(GetAncestor(Handle(), GA_ROOT)) != IDOK) return;
  // The stored texts, as the dialog wrote them; a time also switches the day on.
  LoadControls();
}

bool CTimingSetDlg::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  const int count = static_cast<int>(ScheduleDays().size());
  if (id >= IDC_SCHEDULE_DAY && id < IDC_SCHEDULE_DAY + count) {
    const auto& day = ScheduleDays()[static_cast<size_t>(id - IDC_SCHEDULE_DAY)];
    MarkScheduleDay(File(), day.element, Checked(id));
    return true;
  }
  if (id >= IDC_SCHEDULE_SET && id < IDC_SCHEDULE_SET + count) {
    SetTime(static_cast<size_t>(id - IDC_SCHEDULE_SET));
    return true;
  }
  return false;
}

}  // namespace qtr
