// The History window: the jobs that ended, newest first, and the failure
// lines of the job opened, which can be copied as text. One window at a
// time; it stays beside the main window (not modal), so a job can start
// and the main window can be used while it is open. Its keys are its own,
// since the main window's dialog loop does not route them: arrows move in
// the list, Enter (or a double click) opens a job, Ctrl+C and Copy copy it,
// Tab moves between the controls, Esc closes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "config/JobHistory.h"
#include "platform/Handles.h"
#include "ui/HistoryList.h"
#include "widgets/ControlColours.h"
#include "widgets/PaintedDialog.h"
#include "widgets/PictureButton.h"
#include "widgets/WindowShape.h"

namespace qtr {

class CHistoryWnd : public PaintedDialog {
 public:
  static constexpr int kWidth = 780, kHeight = 460;

  CHistoryWnd();

  // Creates the window over owner, or brings it forward when it is open,
  // with records as the history keeps them (oldest first); the job of
  // openId is opened (0: none, or the one opened stays opened).
  bool Show(HWND owner, std::vector<JobRecord> records, uint64_t openId);
  // Selects the job's row and shows its lines; false when no row has it.
  bool OpenJob(uint64_t id);
  // The job opened; 0 while none is.
  uint64_t OpenedJob() const { return opened_; }
  // The opened job's text on the clipboard; false when none is opened or
  // the clipboard refused it.
  bool CopyOpenedJob();
  // Sets every text again in the active language.
  void ShowTexts();
  void Close() { EndModal(IDCANCEL); }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
  bool OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) override;
  void PaintSurface(HDC dc, const RECT& client) override;
  void OnDestroyed() override;

 private:
  static LRESULT CALLBACK Keys(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR self);
  void Layout();
  void FillList();
  void ShowOpenedLines();
  void OpenSelected();
  void MoveFocus(bool back);
  const JobRecord* RecordOf(uint64_t id) const;

  std::vector<JobRecord> records_;
  std::vector<HistoryRow> rows_;  // newest first, in the active language
  uint64_t opened_ = 0;
  GdiObject<HFONT> font_;
  ControlColours linesColours_{RGB(20, 30, 40), RGB(255, 255, 255)};
  PictureButton closeButton_, copyButton_, doneButton_;
  CaptionDrag captionDrag_{30};
};

// The program's one History window.
CHistoryWnd& HistoryWindow();

// Opens the History window over owner with the history of programFolder
// (with its trailing backslash); a window already open is brought forward
// with the history read again. jobId 0: no job opened; otherwise that job.
bool OpenHistoryWindow(HWND owner, const std::u16string& programFolder, uint64_t jobId);

}  // namespace qtr
