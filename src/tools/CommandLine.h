// The command line as UTF-16 arguments, whatever the host's own form.
#pragma once
#include <string>
#include <vector>

namespace qtr {

std::vector<std::u16string> CommandLineArguments(int argc, char** argv);
// Writes UTF-8 text to standard output or standard error.
void PrintLine(const std::string& text, bool error = false);

}  // namespace qtr
