#include "pages/QuickDialog.h"

#include "config/BackupRecord.h"
#include "config/JobHistory.h"
#include "config/LanguageText.h"
#include "platform/WideText.h"
#include "ui/LastBackupLine.h"
#include "resource.h"
#include "widgets/SelectedObject.h"

namespace qtr {

CQuickDialog::CQuickDialog(std::u16string programFolder, std::function<void()> launch,
                           std::function<bool()> jobRunning)
    : PaintedDialog(IDD_QUICK_PAGE),
      programFolder_(std::move(programFolder)),
      history_(programFolder_),
      launch_(std::move(launch)),
      jobRunning_(std::move(jobRunning)) {}

bool CQuickDialog::OnInit() {
  SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
  picture_.Load(IDP_QUICK_PICTURE);
  labelFont_.Reset(CreateFontW(-16, 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"\u5b8b\u4f53"));
  titleFont_.Reset(CreateFontW(-30, 0, 0, 0, 800, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Arial"));
  HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 20, 100, 150, 70,
                                Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_QUICK_LAUNCH)),
                                GetModuleHandleW(nullptr), nullptr);
  launchButton_.Attach(button);
  launchButton_.SetPictures(IDP_QUICK_LAUNCH_NORMAL, IDP_QUICK_LAUNCH_PRESSED, IDP_QUICK_LAUNCH_HOVER);
  launchButton_.SetDisabledPicture(IDP_QUICK_LAUNCH_DISABLED);
  launchButton_.SetBackground(Surface());
  tooltip_.Create(Handle());
  ShowTexts();
  return true;
}

void CQuickDialog::ShowTexts() {
  tooltip_.SetText(launchButton_.Handle(), AsWstring(DisplayText(TextId::QuickBackupToolTip)));
  InvalidateRect(Handle(), nullptr, FALSE);
}

void CQuickDialog::EnableLaunch(bool enable) const {
  EnableWindow(launchButton_.Handle(), enable ? TRUE : FALSE);
}

bool CQuickDialog::OnCommand(int id, int code, HWND) {
  if (id == IDOK || id == IDCANCEL) return true;
  if (id != IDC_QUICK_LAUNCH || code != BN_CLICKED) return false;
  if (launch_) launch_();
  return true;
}

void CQuickDialog::PaintSurface(HDC dc, const RECT& client) {
  GdiObject<HBRUSH> body(CreateSolidBrush(RGB(255, 255, 255)));
  FillRect(dc, &client, body.Get());
  picture_.Draw(dc, 25, 60);
  SetBkMode(dc, TRANSPARENT);
  SelectedObject font(dc, titleFont_.Get());
  SetTextColor(dc, RGB(0, 150, 240));
  // The page's own name, the same in every language.
  TextOutW(dc, 10, 20, L"Quick Launch", 12);

  // backupinfo.xml keeps when the last backup started; the history says whether it finished.
  const LastBackupText last = DecideLastBackup(history_.Records(),
                                               BackupRecord(programFolder_).LastBackupTime(),
                                               jobRunning_ && jobRunning_(), ActiveLanguageTable());
  if (last.time.empty() && last.note.empty()) return;
  font.Select(labelFont_.Get());
  SetTextColor(dc, RGB(20, 30, 40));
  const std::wstring label = AsWstring(DisplayText(TextId::LastBackupTime));
  SIZE size{};
  GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
  const LastBackupLayout at = LayOutLastBackup(client.right, size.cx, size.cy);
  if (!last.time.empty()) {
    TextOutW(dc, at.labelX, at.labelTop, label.c_str(), static_cast<int>(label.size()));
    const std::wstring shown = AsWstring(last.time);
    RECT box = {at.timeX, at.timeTop, at.timeX + LastBackupLayout::kTimeWidth, at.timeTop + size.cy + 2};
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &box,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  }
  if (!last.note.empty()) {
    // Below the line (or in its place when no backup finished), wrapped to the page.
    const int top = last.time.empty() ? at.labelTop : at.timeTop + size.cy + 8;
    const std::wstring note = AsWstring(last.note);
    SetTextColor(dc, RGB(190, 60, 20));
    RECT box = {at.labelX, top, client.right - 10, client.bottom - 10};
    DrawTextW(dc, note.c_str(), static_cast<int>(note.size()), &box, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  }
}

}  // namespace qtr
