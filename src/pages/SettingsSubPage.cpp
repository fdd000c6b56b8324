#include "pages/SettingsSubPage.h"

#include "config/SystemLanguage.h"
#include "pages/SettingsDialogLook.h"
#include "platform/Handles.h"
#include "platform/WideText.h"

namespace qtr {

SettingsSubPage::SettingsSubPage(UINT templateId, const SettingsHost& host)
    : PaintedDialog(templateId), host_(host) {}

bool SettingsSubPage::Create(HWND parent, int x, int y) {
  if (!CreateModeless(parent)) return false;
  SetWindowPos(Handle(), nullptr, x, y, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

SettingsFile SettingsSubPage::File() const {
  return SettingsFile(host_.programFolder, SystemDefaultLanguageId());
}

void SettingsSubPage::Place(std::span<const ControlPlace> places) {
  if (font_.Get() == nullptr) font_.Reset(CreateSettingsFont());
  PlaceControls(Handle(), places, font_.Get());
}

void SettingsSubPage::SetText(int id, const std::u16string& text) const {
  const std::wstring wanted = AsWstring(text);
  if (ItemText(id) != wanted) SetItemText(id, wanted);
}

void SettingsSubPage::Tell(const std::u16string& message) const {
  if (host_.prompter != nullptr) host_.prompter->Ask({DisplayText(TextId::PromptTitle), message, false});
}

void SettingsSubPage::PaintSurface(HDC dc, const RECT& client) {
  GdiObject<HBRUSH> body(CreateSolidBrush(kSettingsBackground));
  FillRect(dc, &client, body.Get());
}

bool SettingsSubPage::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  // A language change shows at the next paint.
  if (message == WM_PAINT) ShowTexts();
  return PaintedDialog::OnMessage(message, w, l, result);
}

}  // namespace qtr
