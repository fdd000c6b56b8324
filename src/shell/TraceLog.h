// The start-up trace: one line per step appended to c:\TimeLog.log, opened
// and closed for each line, so a start that hangs shows how far it came.
// A trace file that cannot be opened is skipped.
#pragma once

namespace qtr {

// " func: <function>, line <step>  :<tick count>"
void TraceStep(const char* function, int step);

}  // namespace qtr
