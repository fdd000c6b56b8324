#include <windows.h>

#include "config/LanguageTable.h"
#include "platform/FileSystem.h"
#include "platform/WideText.h"
#include "ui/HelpViewer.h"

namespace qtr {
namespace {

void StartWithoutWindow(const std::u16string& commandLine) {
  std::wstring command = AsWstring(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

ProcessStarter currentStarter = StartWithoutWindow;

}  // namespace

ProcessStarter ReplaceHelpProcessStarter(ProcessStarter starter) {
  const ProcessStarter previous = currentStarter;
  currentStarter = starter != nullptr ? starter : StartWithoutWindow;
  return previous;
}

void OpenHelpFile(std::u16string_view programFolder) {
  const std::u16string file =
      HelpFileName(ActiveLanguageTable().Identifier(), [programFolder](std::u16string_view name) {
        uint32_t attributes = 0;
        return SystemFileSystem().GetAttributes(std::u16string(programFolder) + std::u16string(name),
                                                &attributes) == 0;
      });
  currentStarter(HelpCommandLine(programFolder, file));
}

}  // namespace qtr
