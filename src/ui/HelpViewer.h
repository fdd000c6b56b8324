// Opens the help file beside the program with the system help viewer: the
// file of the active language where there is one, else the English XVQ.chm.
// The process start goes through a replaceable starter so that a test sees
// the command line without a viewer appearing.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace qtr {

inline constexpr std::u16string_view kHelpFileName = u"XVQ.chm";

// The help file of a language table: "XVQ_<identifier>.chm" where
// besideProgram says that file is there, else "XVQ.chm".
std::u16string HelpFileName(std::u16string_view languageIdentifier,
                            const std::function<bool(std::u16string_view name)>& besideProgram);

// hh.exe "<folder><file>"; folder ends with a backslash.
std::u16string HelpCommandLine(std::u16string_view programFolder, std::u16string_view helpFile = kHelpFileName);

// Starts a process with the command line and does not wait for it.
using ProcessStarter = void (*)(const std::u16string& commandLine);

// The starter in use; nullptr puts the system's one back. Returns the previous one.
ProcessStarter ReplaceHelpProcessStarter(ProcessStarter starter);

// Starts the viewer on the help file of programFolder for the active
// language table; a viewer that does not start changes nothing else.
void OpenHelpFile(std::u16string_view programFolder);

}  // namespace qtr
