// The backup password kept in the program folder, so that the hotkey, the
// enclosure button and the schedule can start an encrypted backup without
// anyone at the keyboard. The file holds the password sealed for the
// current Windows user (UserDataProtection), never the password itself; a
// file that does not open (another user, another PC, damaged) counts as no
// password kept.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/UserDataProtection.h"

namespace qtr {

inline constexpr char16_t kBackupPasswordFileName[] = u"backuppassword.bin";

class BackupPassword {
 public:
  // programFolder ends in a backslash.
  BackupPassword(FileSystem& fs, UserDataProtection& protection, std::u16string_view programFolder);

  // The kept password (UTF-8); none when no file is kept or it does not open.
  std::optional<std::string> Read() const;
  // Keeps password in place of the kept one; an empty password removes it.
  // On failure the kept file is as it was. 0 or a Win32 error code.
  uint32_t Keep(std::string_view password);
  // No file left afterwards; 0 also when there was none.
  uint32_t Remove();
  const std::u16string& Path() const { return path_; }

 private:
  FileSystem& fs_;
  UserDataProtection& protection_;
  std::u16string path_;
};

}  // namespace qtr
