// The verify command of qtrpack: every stored file of a target's store read
// and checked against the store index, the findings and a summary printed.
#pragma once
#include <string>

#include "platform/FileSystem.h"

namespace qtr {

// Exit codes: 0 every indexed file is sound (unknown files alone do not
// count against it), 1 something is damaged or missing, 2 the target holds
// no store or the pass was stopped. out receives one line per finding
// ("damaged PATH;REASON", "missing PATH", "unknown PATH", "encrypted PATH")
// and the summary last.
int VerifyCommand(FileSystem& fs, const std::u16string& target, std::string* out);

}  // namespace qtr
