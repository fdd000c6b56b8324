#include "shell/TraceLog.h"

#include <windows.h>

#include <cstdio>

namespace qtr {

void TraceStep(const char* function, int step) {
  char line[512];
  const int n = std::snprintf(line, sizeof line, " func: %s, line %d  :%lu", function, step,
                              static_cast<unsigned long>(GetTickCount()));
  if (n < 0) return;
  FILE* file = _wfopen(L"c:\\TimeLog.log", L"ab+");
  if (file == nullptr) return;
  std::fputs(line, file);  // snprintf cut it to 511 characters
  std::fputs("\n", file);
  std::fclose(file);
}

}  // namespace qtr
