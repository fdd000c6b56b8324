// backupinfo.xml, the record of when the last backup was started: root
// "BackUpInfo" with "Time" (local time "YYYY-MM-DD hh:mm:ss") and an unused
// "Path" element that a new file carries.
#pragma once
#include <string>
#include <string_view>

namespace qtr {

inline constexpr std::u16string_view kBackupRecordFileName = u"backupinfo.xml";

// A local time as the clock gives it.
struct BackupStartTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// 2026-03-07 09:05:00
std::u16string FormatBackupTime(const BackupStartTime& time);

class BackupRecord {
 public:
  explicit BackupRecord(std::u16string_view programFolder);

  const std::u16string& Path() const { return path_; }

  // Writes the empty record unless the file loads (start-up).
  bool Ensure() const;
  // Replaces "Time" with the start of a backup; a file that does not load is
  // first recreated empty. After the first replacement "Time" follows "Path".
  bool RecordStart(const BackupStartTime& time) const;
  // The recorded time; empty when none was recorded or the file does not load.
  std::u16string LastBackupTime() const;

 private:
  bool WriteEmpty() const;

  std::u16string path_;
};

}  // namespace qtr
