// Where the Quick Activate page draws its "Last backup time:" line: the
// label beside the launch button, the time 5 pixels to its right, or on the
// next line when a long translated label leaves no room for it.
#pragma once
#include <string>
#include <vector>

#include "config/JobHistory.h"
#include "config/LanguageTable.h"

namespace qtr {

// What the line says. time: the start of the last backup that finished
// (with or without failed files), empty when none did. note: that the
// backup after it did not finish, and how it ended, empty when none.
struct LastBackupText {
  std::u16string time;
  std::u16string note;
};

// history oldest first; recordedStart: the start of the last backup begun,
// as backupinfo.xml keeps it ("" none); jobRunning: a job runs now, so a
// start without its record yet is that job, not one that was cut short.
// A history without a backup yet (made by a version without it) leaves
// backupinfo.xml's time as the line's.
LastBackupText DecideLastBackup(const std::vector<JobRecord>& history, const std::u16string& recordedStart,
                                bool jobRunning, const LanguageTable& table);

struct LastBackupLayout {
  int labelX = 0, labelTop = 0;
  int timeX = 0, timeTop = 0;
  static constexpr int kTimeWidth = 160;
};

LastBackupLayout LayOutLastBackup(int pageWidth, int labelWidth, int textHeight);

}  // namespace qtr
