// The folder that holds the executable, with a trailing backslash: every
// file the program keeps (settings, selections, language tables) lives in it.
#pragma once
#include <string>

namespace qtr {

const std::u16string& ProgramFolder();

}  // namespace qtr
