#include "pages/TimeSet.h"

#include <commctrl.h>

#include "config/LanguageText.h"
#include "config/SystemLanguage.h"
#include "pages/ScheduleDays.h"
#include "pages/SettingsDialogLook.h"
#include "pages/SettingsSubPage.h"
#include "platform/NumberText.h"
#include "resource.h"
#include "widgets/WindowPlacement.h"

namespace qtr {
namespace {

constexpr int kAllDaysEntry = 1;  // the second entry of the choice list

std::u16string Number(int value) {
  return DigitsOf(static_cast<uint32_t>(value));
}

constexpr int kWidth = 300, kHeight = 130;
constexpr ControlPlace kPlaces[] = {
    {IDC_TIMESET_TITLE, 12, 5, 250, 16},   {IDC_TIMESET_CLOSE, kWidth - 21, 5, 16, 16},
    {IDC_TIMESET_HOUR, 20, 48, 48, 24},    {IDC_TIMESET_COLON, 86, 52, 10, 18},
    {IDC_TIMESET_MINUTE, 100, 48, 48, 24}, {IDC_TIMESET_CHOICE, 172, 48, 112, 200},
    {IDC_TIMESET_OK, 128, 92, 74, 26},     {IDC_TIMESET_CANCEL, 210, 92, 74, 26},
};

}  // namespace

CTimeSet::CTimeSet(const SettingsHost& host, std::u16string day, std::u16string dayLabel)
    : PaintedDialog(IDD), host_(host), day_(std::move(day)), dayLabel_(std::move(dayLabel)) {}

bool CTimeSet::OnInit() {
  const std::wstring title = AsWstring(DisplayText(TextId::TimeSetTitle));
  SetWindowTextW(Handle(), title.c_str());
  font_.Reset(CreateSettingsFont());
  SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
  PlaceControls(Handle(), kPlaces, font_.Get());
  // The spin controls follow their fields to the new places.
  SendDlgItemMessageW(Handle(), IDC_TIMESET_HOUR_SPIN, UDM_SETBUDDY,
                      reinterpret_cast<WPARAM>(Item(IDC_TIMESET_HOUR)), 0);
  SendDlgItemMessageW(Handle(), IDC_TIMESET_MINUTE_SPIN, UDM_SETBUDDY,
                      reinterpret_cast<WPARAM>(Item(IDC_TIMESET_MINUTE)), 0);
  SetItemText(IDC_TIMESET_TITLE, title);
  SetItemText(IDC_TIMESET_OK, AsWstring(DisplayText(TextId::OK)));
  SetItemText(IDC_TIMESET_CANCEL, AsWstring(DisplayText(TextId::Cancel)));
  HWND choice = Item(IDC_TIMESET_CHOICE);
  SendMessageW(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWstring(dayLabel_).c_str()));
  SendMessageW(choice, CB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(AsWstring(DisplayText(TextId::AllTimeSet)).c_str()));
  SendMessageW(choice, CB_SETCURSEL, 0, 0);
  // The spin controls stop at the ends of their range; they do not wrap.
  SendDlgItemMessageW(Handle(), IDC_TIMESET_HOUR_SPIN, UDM_SETRANGE32, 0, kMaxHour);
  SendDlgItemMessageW(Handle(), IDC_TIMESET_MINUTE_SPIN, UDM_SETRANGE32, 0, kMaxMinute);

  XmlDocument doc;
  SettingsFile(host_.programFolder, SystemDefaultLanguageId()).LoadForReading(doc);
  const TimeOfDay stored = ParseTiming(ScheduleDayTiming(doc, day_));
  SetItemText(IDC_TIMESET_HOUR, AsWstring(Number(stored.hour)));
  SetItemText(IDC_TIMESET_MINUTE, AsWstring(Number(stored.minute)));

  closeButton_.Attach(Item(IDC_TIMESET_CLOSE));
  closeButton_.SetPictures(IDP_QUIT_NORMAL, IDP_QUIT_PRESSED, IDP_QUIT_HOVER);
  okButton_.Attach(Item(IDC_TIMESET_OK));
  cancelButton_.Attach(Item(IDC_TIMESET_CANCEL));
  for (PictureButton* button : {&closeButton_, &okButton_, &cancelButton_}) button->SetBackground(Surface());
  ApplyRoundedRegion(Handle());
  CentreOverOwner(Handle());
  SetFocus(Item(IDC_TIMESET_HOUR));
  return false;  // the focus is set
}

void CTimeSet::Clamp(int field, int max) {
  if (clamping_) return;
  const std::optional<std::u16string> shown = ClampedFieldText(AsU16string(ItemText(field)), max);
  if (!shown) return;
  // Setting the text raises another change; that one finds nothing to do.
  clamping_ = true;
  SetItemText(field, AsWstring(*shown));
  SendDlgItemMessageW(Handle(), field, EM_SETSEL, shown->size(), shown->size());
  clamping_ = false;
}

void CTimeSet::Accept() {
  time_.hour = TimeFieldValue(AsU16string(ItemText(IDC_TIMESET_HOUR)), kMaxHour);
  time_.minute = TimeFieldValue(AsU16string(ItemText(IDC_TIMESET_MINUTE)), kMaxMinute);
  allDays_ = SendDlgItemMessageW(Handle(), IDC_TIMESET_CHOICE, CB_GETCURSEL, 0, 0) == kAllDaysEntry;
  StoreScheduleTime(SettingsFile(host_.programFolder, SystemDefaultLanguageId()), day_, allDays_, time_);
  EndModal(IDOK);
}

bool CTimeSet::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_TIMESET_HOUR:
      if (code == EN_CHANGE) Clamp(id, kMaxHour);
      return true;
    case IDC_TIMESET_MINUTE:
      if (code == EN_CHANGE) Clamp(id, kMaxMinute);
      return true;
    case IDC_TIMESET_OK: Accept(); return true;
    case IDC_TIMESET_CANCEL:
    case IDC_TIMESET_CLOSE: EndModal(IDCANCEL); return true;
    case IDOK:
    case IDCANCEL: return true;  // Enter and Esc decide nothing
    default: return false;
  }
}

bool CTimeSet::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: captionDrag_.OnMessage(Handle(), message, l); return false;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(l) != Item(IDC_TIMESET_TITLE)) break;
      result = ControlColours::Transparent(reinterpret_cast<HDC>(w), RGB(255, 255, 255));
      return true;
    default: break;
  }
  return PaintedDialog::OnMessage(message, w, l, result);
}

void CTimeSet::PaintSurface(HDC dc, const RECT& client) {
  PaintSettingsDialog(dc, client);
}

}  // namespace qtr
