// The time dialog of the schedule page: an hour and a minute field with
// spin controls, and a choice between the page's day and all seven days.
// OK stores the time (switching the days on); Cancel stores nothing.
#pragma once
#include <string>

#include "pages/SettingsHost.h"
#include "pages/TimeFields.h"
#include "platform/Handles.h"
#include "widgets/PaintedDialog.h"
#include "widgets/PictureButton.h"
#include "widgets/WindowShape.h"

namespace qtr {

class CTimeSet : public PaintedDialog {
 public:
  static constexpr UINT IDD = 154;
  // day: the settings element ("Monday" ...); dayLabel: its name on screen.
  CTimeSet(const SettingsHost& host, std::u16string day, std::u16string dayLabel);

  // After OK: whether the time went to every day.
  bool AppliedToAllDays() const { return allDays_; }
  TimeOfDay Time() const { return time_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  void PaintSurface(HDC dc, const RECT& client) override;

 private:
  void Clamp(int field, int max);
  void Accept();

  const SettingsHost& host_;
  std::u16string day_, dayLabel_;
  bool allDays_ = false;
  bool clamping_ = false;
  TimeOfDay time_;
  GdiObject<HFONT> font_;
  PictureButton closeButton_, okButton_, cancelButton_;
  CaptionDrag captionDrag_{26};  // kSettingsDialogBand
};

}  // namespace qtr
