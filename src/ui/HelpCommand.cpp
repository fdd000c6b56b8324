#include "ui/HelpViewer.h"

namespace qtr {

std::u16string HelpFileName(std::u16string_view languageIdentifier,
                            const std::function<bool(std::u16string_view name)>& besideProgram) {
  // An identifier comes from init.xml: one that could name another folder names no file.
  if (languageIdentifier.empty() || languageIdentifier.find_first_of(u"\\/:") != std::u16string_view::npos)
    return std::u16string(kHelpFileName);
  std::u16string name = u"XVQ_";
  name += languageIdentifier;
  name += u".chm";
  return besideProgram(name) ? name : std::u16string(kHelpFileName);
}

std::u16string HelpCommandLine(std::u16string_view programFolder, std::u16string_view helpFile) {
  // Quoted: the program folder may hold blanks ("...\Programs\XVQ Backup\").
  std::u16string command = u"hh.exe \"";
  command += programFolder;
  command += helpFile;
  command += u"\"";
  return command;
}

}  // namespace qtr
