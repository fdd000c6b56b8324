#include "pages/TimeSet.h"

#include "pages/ScheduleDays.h"
#include "pages/TimingSetDlg.h"
#include "resource.h"
#include "SettingsWindowFixture.h"

namespace qtr {
namespace {

using test::RunModalWith;
using test::TextOf;

class TimeSetTest : public test::SettingsWindowTest {
 protected:
  static void Type(HWND dialog, int field, const wchar_t* text) { SetDlgItemTextW(dialog, field, text); }
  static void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
};

TEST_F(TimeSetTest, FieldsAreClampedAsTypedAndAnEmptyFieldIsZero) {
  ASSERT_TRUE(StoreScheduleDay(Settings(), u"Wednesday", false, u"09:05"));
  CTimeSet dialog(host_, u"Wednesday", u"Wednesday");
  std::wstring openedHour, openedMinute, minute, hour;
  const INT_PTR result = RunModalWith(dialog, hostWindow_, [&](HWND window) {
    openedHour = TextOf(GetDlgItem(window, IDC_TIMESET_HOUR));
    openedMinute = TextOf(GetDlgItem(window, IDC_TIMESET_MINUTE));
    Type(window, IDC_TIMESET_MINUTE, L"75");
    minute = TextOf(GetDlgItem(window, IDC_TIMESET_MINUTE));
    Type(window, IDC_TIMESET_HOUR, L"30");
    hour = TextOf(GetDlgItem(window, IDC_TIMESET_HOUR));
    Type(window, IDC_TIMESET_HOUR, L"");
    Click(window, IDC_TIMESET_OK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(openedHour, L"9");
  EXPECT_EQ(openedMinute, L"5");
  EXPECT_EQ(minute, L"59");
  EXPECT_EQ(hour, L"23");
  EXPECT_EQ(Attribute(u"Wednesday", u"Timing"), u"00:59");
  EXPECT_EQ(Attribute(u"Wednesday", u"IsSet"), u"1");
  EXPECT_EQ(Attribute(u"Thursday", u"Timing"), u"00:00");
}

TEST_F(TimeSetTest, CancelStoresNothing) {
  CTimeSet dialog(host_, u"Monday", u"Monday");
  RunModalWith(dialog, hostWindow_, [&](HWND window) {
    Type(window, IDC_TIMESET_HOUR, L"8");
    SendMessageW(window, WM_COMMAND, IDOK, 0);  // Enter decides nothing
    Click(window, IDC_TIMESET_CANCEL);
  });
  EXPECT_EQ(Attribute(u"Monday", u"Timing"), u"00:00");
  EXPECT_EQ(Attribute(u"Monday", u"IsSet"), u"0");
}

TEST_F(TimeSetTest, AllSetsEveryDayAndTheSchedulePageShowsIt) {
  CTimingSetDlg page(host_);
  ASSERT_TRUE(page.Create(hostWindow_, 0, 0));
  constexpr int kFriday = 4;
  // The set-time button runs the dialog modally; the actions run inside its loop.
  static HWND timeDialog = nullptr;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND found = FindWindowW(nullptr, L"Time setting");
    if (found == nullptr || found == timeDialog) return;
    timeDialog = found;
    SetDlgItemTextW(found, IDC_TIMESET_HOUR, L"7");
    SetDlgItemTextW(found, IDC_TIMESET_MINUTE, L"30");
    SendDlgItemMessageW(found, IDC_TIMESET_CHOICE, CB_SETCURSEL, 1, 0);
    PostMessageW(GetDlgItem(found, IDC_TIMESET_OK), BM_CLICK, 0, 0);
  });
  SendMessageW(GetDlgItem(page.Handle(), IDC_SCHEDULE_SET + kFriday), BM_CLICK, 0, 0);
  KillTimer(nullptr, timer);
  ASSERT_NE(timeDialog, nullptr);
  for (const ScheduleDay& day : ScheduleDays()) {
    EXPECT_EQ(Attribute(day.element, u"Timing"), u"07:30")
        << std::string(day.element.begin(), day.element.end());
    EXPECT_EQ(Attribute(day.element, u"IsSet"), u"1");
  }
  for (int row = 0; row < 7; ++row) {
    EXPECT_EQ(TextOf(GetDlgItem(page.Handle(), IDC_SCHEDULE_TIME + row)), L"07:30") << row;
    EXPECT_EQ(IsDlgButtonChecked(page.Handle(), IDC_SCHEDULE_DAY + row), BST_CHECKED) << row;
  }
}

TEST_F(TimeSetTest, DayBoxSwitchesTheDayAndKeepsItsTime) {
  ASSERT_TRUE(StoreScheduleDay(Settings(), u"Tuesday", true, u"21:15"));
  CTimingSetDlg page(host_);
  ASSERT_TRUE(page.Create(hostWindow_, 0, 0));
  constexpr int kTuesday = 1;
  EXPECT_EQ(TextOf(GetDlgItem(page.Handle(), IDC_SCHEDULE_TIME + kTuesday)), L"21:15");
  EXPECT_EQ(TextOf(GetDlgItem(page.Handle(), IDC_SCHEDULE_DAY + kTuesday)), L"Tuesday");
  SendMessageW(GetDlgItem(page.Handle(), IDC_SCHEDULE_DAY + kTuesday), BM_CLICK, 0, 0);
  EXPECT_EQ(Attribute(u"Tuesday", u"IsSet"), u"0");
  EXPECT_EQ(Attribute(u"Tuesday", u"Timing"), u"21:15");
  SendMessageW(GetDlgItem(page.Handle(), IDC_SCHEDULE_DAY + kTuesday), BM_CLICK, 0, 0);
  EXPECT_EQ(Attribute(u"Tuesday", u"IsSet"), u"1");
}

}  // namespace
}  // namespace qtr
