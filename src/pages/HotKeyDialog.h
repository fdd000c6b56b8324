// The hotkey setting dialog opened from the backup-settings page. While it
// is open the backup hotkey is unregistered, so that typing the combination
// does not start a backup. OK stores and registers the new combination (or
// removes the hotkey when it has no modifier); Cancel puts the old one back.
#pragma once
#include "config/HotKeySetting.h"
#include "pages/SettingsHost.h"
#include "platform/Handles.h"
#include "widgets/PaintedDialog.h"
#include "widgets/PictureButton.h"
#include "widgets/WindowShape.h"

namespace qtr {

class CHotKey : public PaintedDialog {
 public:
  static constexpr UINT IDD = 153;
  explicit CHotKey(const SettingsHost& host) : PaintedDialog(IDD), host_(host) {}

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  void PaintSurface(HDC dc, const RECT& client) override;

 private:
  void Accept();
  void Decline();
  // Registers the backup hotkey for the host's window; false when the system refuses.
  bool Register(const HotKeySetting& hotKey) const;

  const SettingsHost& host_;
  HotKeySetting previous_;
  bool closed_ = false;
  GdiObject<HFONT> font_;
  PictureButton closeButton_, okButton_, cancelButton_;
  CaptionDrag captionDrag_{26};  // kSettingsDialogBand
};

}  // namespace qtr
