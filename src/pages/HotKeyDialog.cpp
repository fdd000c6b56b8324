#include "pages/HotKeyDialog.h"

#include <commctrl.h>

#include "config/LanguageText.h"
#include "config/SettingsFile.h"
#include "config/SystemLanguage.h"
#include "pages/HotKeyRules.h"
#include "pages/SettingsDialogLook.h"
#include "pages/SettingsSubPage.h"
#include "platform/NumberText.h"
#include "resource.h"
#include "widgets/WindowPlacement.h"

namespace qtr {
namespace {

// The name of a key in the current keyboard layout, as the hotkey control shows it.
std::u16string KeyName(UINT virtualKey, bool extended) {
  LONG scan = static_cast<LONG>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  if (extended) scan |= 1L << 24;
  wchar_t name[64] = {};
  if (GetKeyNameTextW(scan, name, 64) > 0) return AsU16string(name);
  // Without a name from the layout, letters and digits are their own names.
  if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z'))
    return std::u16string(1, static_cast<char16_t>(virtualKey));
  return u"#" + DigitsOf(virtualKey);
}

constexpr int kWidth = 300, kHeight = 130;
constexpr ControlPlace kPlaces[] = {
    {IDC_HOTKEY_TITLE, 12, 5, 250, 16},
    {IDC_HOTKEY_LABEL, 16, 52, 100, 18}, {IDC_HOTKEY_CONTROL, 120, 48, 164, 24},
    {IDC_HOTKEY_OK, 128, 92, 74, 26},    {IDC_HOTKEY_CANCEL, 210, 92, 74, 26},
};

}  // namespace

bool CHotKey::OnInit() {
  SetWindowTextW(Handle(), AsWstring(DisplayText(TextId::HotKeyDlgTitle)).c_str());
  font_.Reset(CreateSettingsFont());
  SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
  PlaceControls(Handle(), kPlaces, font_.Get());
  // The frame takes a few pixels of the window: the close button keeps 5 of
  // the client area to its right.
  RECT client{};
  GetClientRect(Handle(), &client);
  SetWindowPos(Item(IDC_HOTKEY_CLOSE), nullptr, client.right - 5 - 16, 5, 16, 16,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SetItemText(IDC_HOTKEY_TITLE, AsWstring(DisplayText(TextId::HotKeyDlgTitle)));
  SetItemText(IDC_HOTKEY_LABEL, AsWstring(DisplayText(TextId::HotKeyStatic)));
  SetItemText(IDC_HOTKEY_OK, AsWstring(DisplayText(TextId::OK)));
  SetItemText(IDC_HOTKEY_CANCEL, AsWstring(DisplayText(TextId::Cancel)));
  closeButton_.Attach(Item(IDC_HOTKEY_CLOSE));
  closeButton_.SetPictures(IDP_QUIT_NORMAL, IDP_QUIT_PRESSED, IDP_QUIT_HOVER);
  okButton_.Attach(Item(IDC_HOTKEY_OK));
  cancelButton_.Attach(Item(IDC_HOTKEY_CANCEL));
  for (PictureButton* button : {&closeButton_, &okButton_, &cancelButton_}) button->SetBackground(Surface());

  XmlDocument doc;
  SettingsFile(host_.programFolder, SystemDefaultLanguageId()).LoadForReading(doc);
  previous_ = ReadHotKey(doc);
  // Typing the combination into the control must not start a backup.
  if (host_.hotKeyWindow != nullptr) UnregisterHotKey(host_.hotKeyWindow, kBackupHotKeyId);
  SendDlgItemMessageW(Handle(), IDC_HOTKEY_CONTROL, HKM_SETHOTKEY, HotKeyControlValue(previous_), 0);

  ApplyRoundedRegion(Handle());
  CentreOverOwner(Handle());
  SetFocus(Item(IDC_HOTKEY_CONTROL));
  return false;  // the focus is set
}

bool CHotKey::Register(const HotKeySetting& hotKey) const {
  if (host_.hotKeyWindow == nullptr) return true;
  return RegisterHotKey(host_.hotKeyWindow, kBackupHotKeyId, hotKey.modifiers, hotKey.virtualKey) != FALSE;
}

void CHotKey::Accept() {
  const auto value =
      static_cast<uint16_t>(SendDlgItemMessageW(Handle(), IDC_HOTKEY_CONTROL, HKM_GETHOTKEY, 0, 0));
  const uint8_t flags = HIBYTE(value);
  const HotKeySetting chosen =
      HotKeyFromControl(value, HotKeyDisplayText(flags, KeyName(LOBYTE(value), (flags & HOTKEYF_EXT) != 0)));
  // A combination another program holds would be stored but never work:
  // the person is told and chooses again.
  if (chosen.Registrable() && !Register(chosen)) {
    if (host_.prompter != nullptr)
      host_.prompter->Ask({DisplayText(TextId::PromptTitle), DisplayText(TextId::HotKeyTaken), false});
    SetFocus(Item(IDC_HOTKEY_CONTROL));
    return;
  }
  SettingsFile(host_.programFolder, SystemDefaultLanguageId()).StoreHotKey(chosen);
  closed_ = true;
  EndModal(IDOK);
}

void CHotKey::Decline() {
  if (previous_.Registrable()) Register(previous_);
  closed_ = true;
  EndModal(IDCANCEL);
}

bool CHotKey::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDC_HOTKEY_OK: Accept(); return true;
    case IDC_HOTKEY_CANCEL:
    case IDC_HOTKEY_CLOSE: Decline(); return true;
    case IDOK:
    case IDCANCEL: return true;  // Enter and Esc decide nothing
    default: return false;
  }
}

bool CHotKey::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: captionDrag_.OnMessage(Handle(), message, l); return false;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(l) != Item(IDC_HOTKEY_TITLE)) break;
      result = ControlColours::Transparent(reinterpret_cast<HDC>(w), RGB(255, 255, 255));
      return true;
    case WM_DESTROY:
      // However the window goes, the old hotkey must not stay unregistered.
      if (!closed_ && previous_.Registrable()) Register(previous_);
      return false;
    default: break;
  }
  return PaintedDialog::OnMessage(message, w, l, result);
}

void CHotKey::PaintSurface(HDC dc, const RECT& client) {
  PaintSettingsDialog(dc, client);
}

}  // namespace qtr
