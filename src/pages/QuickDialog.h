// CQuickDialog: the Quick Activate page (slot 0 of the page container): one
// large button that backs up the current selection at once, the time of the
// last backup that finished, and a note when the one after it did not.
#pragma once
#include <functional>
#include <string>

#include "config/JobHistory.h"
#include "platform/Handles.h"
#include "widgets/PaintedDialog.h"
#include "widgets/Picture.h"
#include "widgets/PictureButton.h"
#include "widgets/Tooltip.h"

namespace qtr {

class CQuickDialog : public PaintedDialog {
 public:
  static constexpr int kWidth = 542, kHeight = 284;

  // programFolder holds backupinfo.xml and the history; launch runs the
  // quick launch; jobRunning says whether a job runs now.
  CQuickDialog(std::u16string programFolder, std::function<void()> launch, std::function<bool()> jobRunning = {});

  HWND LaunchButton() const { return launchButton_.Handle(); }
  void EnableLaunch(bool enable) const;
  // The tooltip in the active language, and a repaint for the label.
  void ShowTexts();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  void PaintSurface(HDC dc, const RECT& client) override;

 private:
  std::u16string programFolder_;
  CachedJobHistory history_;  // read at every paint
  std::function<void()> launch_;
  std::function<bool()> jobRunning_;
  // White like the other pages: picture 217 is the splash artwork, whose
  // product name would stand behind the launch button.
  Picture picture_;
  PictureButton launchButton_;
  Tooltip tooltip_;
  GdiObject<HFONT> labelFont_, titleFont_;
};

}  // namespace qtr
