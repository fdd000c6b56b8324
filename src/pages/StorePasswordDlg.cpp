#include "pages/StorePasswordDlg.h"

#include "config/LanguageText.h"
#include "crypto/WipeBytes.h"
#include "platform/UserDataProtection.h"
#include "platform/Utf8.h"
#include "resource.h"
#include "widgets/ControlColours.h"

namespace qtr {

CStorePasswordDlg::CStorePasswordDlg(Try tryPassword)
    : PasswordDialogFrame(IDD_STORE_PASSWORD), try_(std::move(tryPassword)) {}

bool CStorePasswordDlg::OnInit() {
  SetUpFrame(IDC_STORE_PASSWORD_TITLE, DisplayText(TextId::PasswordTitle), IDC_STORE_PASSWORD_CLOSE,
             IDC_STORE_PASSWORD_OK, IDC_STORE_PASSWORD_CANCEL, {IDC_STORE_PASSWORD_INPUT});
  SetItemText(IDC_STORE_PASSWORD_NOTE, AsWstring(DisplayText(TextId::StorePasswordNote)));
  SetItemText(IDC_STORE_PASSWORD_LABEL, AsWstring(DisplayText(TextId::InputPassword)));
  SetItemText(IDC_STORE_PASSWORD_OK, AsWstring(DisplayText(TextId::OK)));
  SetItemText(IDC_STORE_PASSWORD_CANCEL, AsWstring(DisplayText(TextId::Cancel)));
  SetFocus(Item(IDC_STORE_PASSWORD_INPUT));
  return false;
}

bool CStorePasswordDlg::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDC_STORE_PASSWORD_OK: TryEntry(); return true;
    case IDC_STORE_PASSWORD_CANCEL: Close(IDCANCEL); return true;
    default: return FrameCommand(id);
  }
}

bool CStorePasswordDlg::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(l) == Item(IDC_STORE_PASSWORD_ERROR)) {
    result = ControlColours::Transparent(reinterpret_cast<HDC>(w), RGB(200, 30, 30));
    return true;
  }
  return PasswordDialogFrame::OnMessage(message, w, l, result);
}

void CStorePasswordDlg::TryEntry() {
  // Every copy of the entry is wiped once tried.
  std::wstring typed = ItemText(IDC_STORE_PASSWORD_INPUT);
  std::u16string entry = AsU16string(typed);
  std::string password = Utf16ToUtf8(entry);
  WipeBytes(typed.data(), typed.size() * sizeof(wchar_t));
  WipeBytes(entry.data(), entry.size() * sizeof(char16_t));
  PasswordTry outcome;
  {
    // The key derivation takes about a second.
    HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    outcome = try_(password);
    SetCursor(before);
  }
  WipeSecret(password);
  switch (outcome) {
    case PasswordTry::kAccepted:
      SetItemText(IDC_STORE_PASSWORD_INPUT, L"");
      Close(IDOK);
      return;
    case PasswordTry::kGiveUp: Close(IDCANCEL); return;
    case PasswordTry::kRefused:
      SetItemText(IDC_STORE_PASSWORD_ERROR, AsWstring(DisplayText(TextId::PasswordError)));
      SetItemText(IDC_STORE_PASSWORD_INPUT, L"");
      SetFocus(Item(IDC_STORE_PASSWORD_INPUT));
      InvalidateRect(Handle(), nullptr, FALSE);
      return;
  }
}

}  // namespace qtr
