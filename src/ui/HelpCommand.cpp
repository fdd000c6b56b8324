#include "ui/HelpViewer.h"

namespace qtr {

std::u16string HelpCommandLine(std::u16string_view programFolder) {
  // Quoted: the program folder may hold blanks ("...\Programs\XVQ Backup\").
  std::u16string command = u"hh.exe \"";
  command += programFolder;
  command += kHelpFileName;
  command += u"\"";
  return command;
}

}  // namespace qtr
