// The decisions of the File Management page's trees that need no window:
// which children of the computer are shown, what a drive item carries, the
// disk password entries of the menu, and which new names a rename accepts.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qtr {

// A drive item's data: the drive letter's ANSI code in bits 8 to 15, plus 2
// when the volume reports no file system.
inline constexpr uintptr_t kNoFileSystemData = 2;
uintptr_t ManageDriveData(char ansiLetter, bool noFileSystem);
// The letter a drive item's data carries (0 for data that is no drive's).
char DriveLetterOfData(uintptr_t data);

// Children of the computer left out: those without a file-system path, the
// user's "My Documents" and the shared documents folder.
bool SkipsComputerChild(std::u16string_view path);

// The commands of the password entries put before the shell's own.
enum PasswordCommand : unsigned {
  kSetPasswordCommand = 100,
  kLockCommand = 101,
  kResetPasswordCommand = 102,
  kPasswordSeparator = 103,
};
struct PasswordMenuEntry {
  unsigned id;
  std::u16string_view text;  // empty for the separator
  bool enabled;
};
// In menu order (positions 0 to 3).
std::array<PasswordMenuEntry, 4> PasswordMenuEntries(bool hasPassword, bool unlocked);
// Whether a chosen menu id is one of the password commands.
inline constexpr bool IsPasswordCommand(unsigned id) {
  return id >= kSetPasswordCommand && id <= kResetPasswordCommand;
}

// The shell's verb that means "rename", in any letter case.
bool IsRenameVerb(std::u16string_view verb);

// What a name typed into the label edit is worth.
enum class NewNameCheck {
  Accepted,
  Unchanged,     // the same text: nothing to do
  Empty,         // nothing or only blanks and dots
  BadCharacter,  // a character no file name may hold: \ / : * ? " < > | or a control character
};
NewNameCheck CheckNewName(std::u16string_view oldName, std::u16string_view newName);
// The path an item at path is renamed to: its folder joined with newName.
std::u16string RenamedPath(std::u16string_view path, std::u16string_view newName);

}  // namespace qtr
