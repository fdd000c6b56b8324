#include "pages/PasswordVerficateDlg.h"

#include <mutex>

#include "config/LanguageText.h"
#include "devices/DeviceList.h"
#include "platform/WideText.h"
#include "ui/PasswordRules.h"
#include "resource.h"
#include "widgets/ControlColours.h"

namespace qtr {

PasswordVerficateDlg::PasswordVerficateDlg(DeviceList& list, std::u16string diskPath)
    : PasswordDialogFrame(IDD_PASSWORD_VERIFY), list_(list), diskPath_(std::move(diskPath)) {}

bool PasswordVerficateDlg::OnInit() {
  SetUpFrame(IDC_PASSWORD_VERIFY_TITLE, DisplayText(TextId::PasswordTitle), IDC_PASSWORD_VERIFY_CLOSE,
             IDC_PASSWORD_VERIFY_OK, IDC_PASSWORD_VERIFY_CANCEL, {IDC_PASSWORD_INPUT});
  SetItemText(IDC_PASSWORD_INPUT_LABEL, AsWstring(DisplayText(TextId::InputPassword)));
  SetItemText(IDC_PASSWORD_VERIFY_OK, AsWstring(DisplayText(TextId::OK)));
  SetItemText(IDC_PASSWORD_VERIFY_CANCEL, AsWstring(DisplayText(TextId::Cancel)));
  SetFocus(Item(IDC_PASSWORD_INPUT));
  return false;
}

bool PasswordVerficateDlg::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDC_PASSWORD_VERIFY_OK: Verify(); return true;
    case IDC_PASSWORD_VERIFY_CANCEL: Close(IDCANCEL); return true;
    default: return FrameCommand(id);
  }
}

bool PasswordVerficateDlg::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(l) == Item(IDC_PASSWORD_VERIFY_ERROR)) {
    result = ControlColours::Transparent(reinterpret_cast<HDC>(w), RGB(200, 30, 30));
    return true;
  }
  return PasswordDialogFrame::OnMessage(message, w, l, result);
}

void PasswordVerficateDlg::Verify() {
  const std::u16string input = AsU16string(ItemText(IDC_PASSWORD_INPUT));
  bool open = false, gone = false;
  {
    const std::lock_guard lock(list_.Mutex());
    CUSBDevice* disk = list_.At(list_.FindByPath(diskPath_));
    gone = disk == nullptr;
    open = !gone && VerifyDiskPassword(*disk, input);
  }
  if (gone) {
    Close(IDCANCEL);
    return;
  }
  if (!open) {
    SetItemText(IDC_PASSWORD_VERIFY_ERROR, AsWstring(DisplayText(TextId::PasswordError)));
    InvalidateRect(Handle(), nullptr, FALSE);
    return;
  }
  SetItemText(IDC_PASSWORD_VERIFY_ERROR, L"");
  Close(IDOK);
}

}  // namespace qtr
