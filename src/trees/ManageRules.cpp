#include "trees/ManageRules.h"

#include "config/SelectionPath.h"
#include "platform/PathText.h"

namespace qtr {

uintptr_t ManageDriveData(char ansiLetter, bool noFileSystem) {
  const auto code = static_cast<uintptr_t>(static_cast<unsigned char>(ansiLetter));
  return (code << 8) + (noFileSystem ? kNoFileSystemData : 0);
}

char DriveLetterOfData(uintptr_t data) {
  return static_cast<char>((data >> 8) & 0xFF);
}

bool SkipsComputerChild(std::u16string_view path) {
  if (path.empty()) return true;
  if (SamePath(NameOf(WithoutTrailingBackslashes(path)), u"My Documents")) return true;
  return SamePath(path, u"C:\\Documents and Settings\\All Users\\Documents");
}

std::array<PasswordMenuEntry, 4> PasswordMenuEntries(bool hasPassword, bool unlocked) {
  return {{
      {kSetPasswordCommand, u"设定密码", !hasPassword},
      {kLockCommand, u"锁定", hasPassword && unlocked},
      {kResetPasswordCommand, u"重置密码", hasPassword},
      {kPasswordSeparator, u"", true},
  }};
}

bool IsRenameVerb(std::u16string_view verb) {
  constexpr std::u16string_view kRename = u"rename";
  if (verb.size() != kRename.size()) return false;
  for (size_t i = 0; i < verb.size(); ++i) {
    char16_t c = verb[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != kRename[i]) return false;
  }
  return true;
}

NewNameCheck CheckNewName(std::u16string_view oldName, std::u16string_view newName) {
  if (newName == oldName) return NewNameCheck::Unchanged;
  bool meaningful = false;
  for (char16_t c : newName) {
    if (c < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos)
      return NewNameCheck::BadCharacter;
    if (c != u' ' && c != u'.') meaningful = true;
  }
  return meaningful ? NewNameCheck::Accepted : NewNameCheck::Empty;
}

std::u16string RenamedPath(std::u16string_view path, std::u16string_view newName) {
  std::u16string_view folder = path;
  while (!folder.empty() && folder.back() == u'\\') folder.remove_suffix(1);
  std::u16string renamed(FolderPartOf(folder));
  renamed.append(newName);
  return renamed;
}

}  // namespace qtr
