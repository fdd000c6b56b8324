#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "tools/CommandLine.h"

namespace qtr {

// The wide command line, so that names outside the ANSI code page arrive whole.
std::vector<std::u16string> CommandLineArguments(int, char**) {
  std::vector<std::u16string> arguments;
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (list == nullptr) return arguments;
  for (int k = 1; k < count; ++k) arguments.emplace_back(reinterpret_cast<const char16_t*>(list[k]));
  LocalFree(list);
  return arguments;
}

void PrintLine(const std::string& text, bool error) {
  std::fprintf(error ? stderr : stdout, "%s\n", text.c_str());
  std::fflush(error ? stderr : stdout);
}

}  // namespace qtr
