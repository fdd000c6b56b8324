// Files named on a command line, in the host's own path form: the few
// calls the command-line tool needs beyond the container code.
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/FileSystem.h"

namespace qtr {

// Opens for reading, or creates or empties for writing.
uint32_t OpenHostFile(std::u16string_view path, bool write, std::unique_ptr<File>* file);
// Creates path for writing only when no file has that name yet
// (kErrorFileExists otherwise), so that two writers never share it.
uint32_t CreateNewHostFile(std::u16string_view path, std::unique_ptr<File>* file);

enum class HostPathKind {
  kMissing,
  kRegular,
  kFolder,
  kStream,   // a character device or a pipe: written in place, never renamed over
  kRefused,  // a block device, a socket or a device path: never written
};
HostPathKind KindOfHostPath(std::u16string_view path);

// Replaces to when it exists.
uint32_t RenameHostFile(std::u16string_view from, std::u16string_view to);
uint32_t RemoveHostFile(std::u16string_view path);
// Creates a folder marked hidden and system where the system has such marks
// (the copy of a store's key check is out of a browsing person's way).
uint32_t CreateHiddenHostFolder(std::u16string_view path);
// True when both names reach one existing file (links and other spellings included).
bool SameHostFile(std::u16string_view a, std::u16string_view b);

}  // namespace qtr
