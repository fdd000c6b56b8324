#include <cstdio>

#include "platform/Utf8.h"
#include "tools/CommandLine.h"

namespace qtr {

std::vector<std::u16string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int k = 1; k < argc; ++k) arguments.push_back(Utf8ToUtf16(argv[k]));
  return arguments;
}

void PrintLine(const std::string& text, bool error) {
  std::fprintf(error ? stderr : stdout, "%s\n", text.c_str());
  std::fflush(error ? stderr : stdout);
}

}  // namespace qtr
