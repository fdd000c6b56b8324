// The device backend and message seam of the running program, chosen once
// at start-up. A file "simulated-disks.txt" in the program folder (the
// description format of SimulatedDevices.h, images beside it) makes the
// program use simulated disks, so that a person trying it under Wine sees
// the same disks as the tests; their volumes are reached by linking a
// folder to the letter in the prefix's dosdevices folder. Without the file
// the program talks to the real disks.
#pragma once
#include <string>

namespace qtr {

inline constexpr std::u16string_view kSimulatedDisksFile = u"simulated-disks.txt";

// programFolder ends with a backslash. False, with a message naming the
// file and the problem and saying that the real disks are used instead,
// when the description file is there but cannot be used.
bool InstallProgramDevices(const std::u16string& programFolder, std::u16string& message);

}  // namespace qtr
