// Where the Quick Activate page draws its "Last backup time:" line: the
// label beside the launch button, the time 5 pixels to its right, or on the
// next line when a long translated label leaves no room for it.
#pragma once

namespace qtr {

struct LastBackupLayout {
  int labelX = 0, labelTop = 0;
  int timeX = 0, timeTop = 0;
  static constexpr int kTimeWidth = 160;
};

LastBackupLayout LayOutLastBackup(int pageWidth, int labelWidth, int textHeight);

}  // namespace qtr
