// Writing a small file so that a crash, a full disk or a power cut in the
// middle never leaves it damaged: the bytes go to a new file beside it,
// which then takes its place in one step, keeping the old file's attributes.
// Results are Win32 error codes, 0 on success.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace qtr {

// The name the new bytes are written under before they replace path.
std::u16string ReplacementName(std::u16string_view path);

// Makes path hold exactly bytes. On failure path is as it was and no
// replacement file is left behind. A read-only file is refused, as writing
// it in place would be.
uint32_t ReplaceFileContents(FileSystem& fs, std::u16string_view path, std::string_view bytes);

}  // namespace qtr
