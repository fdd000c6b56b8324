#include "pages/SetDialog.h"

#include "config/LanguageText.h"
#include "config/SystemLanguage.h"
#include "pages/FileTypeFilter.h"
#include "resource.h"
#include "widgets/SelectedObject.h"
#include "widgets/WindowDc.h"

namespace qtr {
namespace {

struct TabButton {
  int id;
  TextId text;
  CSetDialog::Tab tab;
};
constexpr TabButton kTabs[] = {
    {IDC_SET_TAB_BACKUP, TextId::BackUpSet, CSetDialog::Tab::kBackup},
    {IDC_SET_TAB_SCHEDULE, TextId::TimingBackup, CSetDialog::Tab::kSchedule},
    {IDC_SET_TAB_FILTER, TextId::Filter, CSetDialog::Tab::kFileFilter},
    {IDC_SET_TAB_OTHERS, TextId::OtherSet, CSetDialog::Tab::kOthers},
};

// The pages sit below the tab buttons, centred across the page.
constexpr int kPageLeft = (CSetDialog::kWidth - SettingsSubPage::kWidth) / 2;
constexpr int kPageTop = CSetDialog::kHeight - SettingsSubPage::kHeight;

// The tab texts are drawn in the 12-pixel SimSun; where the system lacks it
// (the mapper would pick a face without Chinese) in the pages' own font.
HFONT CreateTabFont() {
  constexpr wchar_t kSimSun[] = L"\u5b8b\u4f53";
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, kSimSun);
  wchar_t face[LF_FACESIZE] = {};
  if (WindowDc screen(nullptr); screen) {
    SelectedObject selected(screen.Get(), font);
    GetTextFaceW(screen.Get(), LF_FACESIZE, face);
  }
  if (std::wstring(face) == kSimSun || std::wstring(face) == L"SimSun" || std::wstring(face) == L"NSimSun")
    return font;
  DeleteObject(font);
  return CreateSettingsFont();
}

}  // namespace

CSetDialog::CSetDialog(SettingsHost host) : PaintedDialog(IDD), host_(std::move(host)) {}

bool CSetDialog::Create(HWND parent, const RECT& place) {
  if (!CreateModeless(parent)) return false;
  SetWindowPos(Handle(), nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

bool CSetDialog::OnInit() {
  tabFont_.Reset(CreateTabFont());
  for (size_t i = 0; i < tabs_.size(); ++i) {
    HWND button = Item(kTabs[i].id);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(tabFont_.Get()), FALSE);
    constexpr int kTabWidth = (SettingsSubPage::kWidth - 6) / 4;
    SetWindowPos(button, nullptr, kPageLeft + static_cast<int>(i) * (kTabWidth + 2), 4, kTabWidth, 26,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    tabs_[i].Attach(button);
  }
  ShowTexts();
  backup_.Create(Handle(), kPageLeft, kPageTop);
  schedule_.Create(Handle(), kPageLeft, kPageTop);
  others_.Create(Handle(), kPageLeft, kPageTop);
  ShowTab(Tab::kBackup);
  return true;
}

void CSetDialog::ShowTab(Tab tab) {
  tab_ = tab;
  ShowWindow(backup_.Handle(), tab == Tab::kBackup ? SW_SHOW : SW_HIDE);
  ShowWindow(schedule_.Handle(), tab == Tab::kSchedule ? SW_SHOW : SW_HIDE);
  const bool others = tab == Tab::kFileFilter || tab == Tab::kOthers;
  if (others) others_.ShowGroup(tab == Tab::kFileFilter);
  ShowWindow(others_.Handle(), others ? SW_SHOW : SW_HIDE);
  for (size_t i = 0; i < tabs_.size(); ++i) tabs_[i].SetSelected(kTabs[i].tab == tab);
  InvalidateRect(Handle(), nullptr, FALSE);
}

std::u16string CSetDialog::FileTypeFilter() const {
  XmlDocument doc;
  SettingsFile(host_.programFolder, SystemDefaultLanguageId()).LoadForReading(doc);
  return FileTypeFilterText(doc, others_.OthersExtensions(), DisplayText(TextId::EditPrompt));
}

void CSetDialog::ShowTexts() {
  for (const TabButton& tab : kTabs) {
    const std::wstring text = AsWstring(DisplayText(tab.text));
    if (ItemText(tab.id) != text) SetItemText(tab.id, text);
  }
}

bool CSetDialog::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  for (const TabButton& tab : kTabs) {
    if (tab.id != id) continue;
    ShowTab(tab.tab);
    return true;
  }
  return false;
}

bool CSetDialog::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  // A language change shows at the next paint.
  if (message == WM_PAINT) ShowTexts();
  return PaintedDialog::OnMessage(message, w, l, result);
}

void CSetDialog::PaintSurface(HDC dc, const RECT& client) {
  GdiObject<HBRUSH> body(CreateSolidBrush(kSettingsBackground));
  FillRect(dc, &client, body.Get());
}

}  // namespace qtr
