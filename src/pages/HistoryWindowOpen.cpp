// The History window's opener, which reads the history; apart from the
// window itself, so that the window is tried on records made by a test.
#include "config/JobHistory.h"
#include "pages/HistoryWindow.h"

namespace qtr {

bool OpenHistoryWindow(HWND owner, const std::u16string& programFolder, uint64_t jobId) {
  return HistoryWindow().Show(owner, JobHistory(programFolder).Load(), jobId);
}

}  // namespace qtr
