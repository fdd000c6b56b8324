// What the three pages under the Setting page's tabs share: a child dialog
// on a plain background whose texts are set from the active language table
// at the start of every paint, and the settings file every control writes
// to at once.
#pragma once
#include <span>
#include <string>

#include "config/LanguageText.h"
#include "config/SettingsFile.h"
#include "pages/SettingsDialogLook.h"
#include "pages/SettingsHost.h"
#include "platform/Handles.h"
#include "platform/WideText.h"
#include "widgets/ControlColours.h"
#include "widgets/PaintedDialog.h"

namespace qtr {

inline constexpr COLORREF kSettingsBackground = RGB(240, 244, 248);
inline constexpr COLORREF kSettingsText = RGB(20, 30, 40);

class SettingsSubPage : public PaintedDialog {
 public:
  static constexpr int kWidth = 534, kHeight = 250;

  SettingsSubPage(UINT templateId, const SettingsHost& host);

  // Sets every text of the page from the active table (or the defaults).
  virtual void ShowTexts() = 0;
  bool Create(HWND parent, int x, int y);

 protected:
  SettingsFile File() const;
  bool Checked(int id) const { return IsDlgButtonChecked(Handle(), id) == BST_CHECKED; }
  void Check(int id, bool on) const { CheckDlgButton(Handle(), id, on ? BST_CHECKED : BST_UNCHECKED); }
  // Sets a control's text only when it changes, so painting never makes a
  // control draw itself again for nothing.
  void SetText(int id, const std::u16string& text) const;
  void SetText(int id, TextId text) const { SetText(id, DisplayText(text)); }
  // Shows a message titled "Tips".
  void Tell(const std::u16string& message) const;

  void PaintSurface(HDC dc, const RECT& client) override;
  INT_PTR ColourStatic(HDC dc) override { return colours_.Apply(dc); }
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;

  // Places the page's controls in pixels, in the page's font.
  void Place(std::span<const ControlPlace> places);

  const SettingsHost& host_;

 private:
  GdiObject<HFONT> font_;
  ControlColours colours_{kSettingsText, kSettingsBackground};
};

}  // namespace qtr
