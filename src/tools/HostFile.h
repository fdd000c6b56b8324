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
// Replaces to when it exists.
uint32_t RenameHostFile(std::u16string_view from, std::u16string_view to);
uint32_t RemoveHostFile(std::u16string_view path);
// True when both names reach one existing file (links and other spellings included).
bool SameHostFile(std::u16string_view a, std::u16string_view b);

}  // namespace qtr
