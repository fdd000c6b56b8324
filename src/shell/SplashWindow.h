// The splash window shown while the program starts: a picture on a thread
// of its own, closed from the main thread at the main window's first paint.
#pragma once
#include <atomic>
#include <string>
#include <thread>

#include "widgets/PaintedDialog.h"
#include "widgets/Picture.h"

namespace qtr {

class CInitDlg : public PaintedDialog {
 public:
  static constexpr int kWidth = 420, kHeight = 240;

  CInitDlg();
  ~CInitDlg() override;

  // Shows the window modally on a new thread, with text under the picture.
  void Start(std::u16string text);
  // Asks the window to close; it does within a millisecond or so. Any thread.
  void RequestClose() { closeRequested_.store(true); }
  // Waits for the splash thread to end (after RequestClose).
  void Join();
  bool Running() const { return running_.load(); }
  unsigned Ticks() const { return ticks_.load(); }

 protected:
  bool OnInit() override;
  bool OnTimer(UINT_PTR id) override;
  void PaintSurface(HDC dc, const RECT& client) override;
  INT_PTR ColourStatic(HDC dc) override;

 private:
  std::atomic<bool> closeRequested_{false};
  std::atomic<bool> running_{false};
  std::atomic<unsigned> ticks_{0};
  std::u16string text_;  // set before the thread starts, then only read by it
  std::thread thread_;
  Picture picture_;
};

}  // namespace qtr
