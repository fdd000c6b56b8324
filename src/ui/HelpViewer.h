// Opens the help file XVQ.chm beside the program with the system help viewer.
// The process start goes through a replaceable starter so that a test sees
// the command line without a viewer appearing.
#pragma once
#include <string>
#include <string_view>

namespace qtr {

inline constexpr std::u16string_view kHelpFileName = u"XVQ.chm";

// hh.exe "<folder>XVQ.chm"; folder ends with a backslash.
std::u16string HelpCommandLine(std::u16string_view programFolder);

// Starts a process with the command line and does not wait for it.
using ProcessStarter = void (*)(const std::u16string& commandLine);

// The starter in use; nullptr puts the system's one back. Returns the previous one.
ProcessStarter ReplaceHelpProcessStarter(ProcessStarter starter);

// Starts the viewer on the help file of programFolder; a viewer that does not
// start changes nothing else.
void OpenHelpFile(std::u16string_view programFolder);

}  // namespace qtr
