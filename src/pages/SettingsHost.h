// What the Setting page needs from the program around it. The page
// container fills this in when it creates the page; a test fills in its own.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "ui/Prompter.h"

namespace qtr {

class EnclosureButton;

struct SettingsHost {
  // The folder of init.xml and of the language tables, with a trailing backslash.
  std::u16string programFolder;
  // The window the backup hotkey is registered for (the main window).
  HWND hotKeyWindow = nullptr;
  // Messages to the person (autostart failure, hotkey taken). Required.
  Prompter* prompter = nullptr;
  // Loads the chosen language's table and has every window of the program
  // set its texts again. Unset: the page loads the table itself.
  std::function<void(const std::u16string& identifier)> applyLanguage;
  // A system-folder box changed: the source tree drops or adds the folder
  // of that settings key ("WindowsFile", "ProgramFiles", "DocAndSetFiles").
  std::function<void(std::u16string_view key, bool include)> systemFolderChanged;
  // "Set password"; unset: the password dialog opens, not for a disk.
  std::function<void(HWND owner)> openPasswordDialog;
  // "History..." opens the History window; unset: the button does nothing.
  std::function<void()> openHistory;
  // Whether a supported disk is listed, so that button polling has something to poll.
  std::function<bool()> haveDisks;
  // The enclosure-button component; null: the program's own.
  EnclosureButton* enclosureButton = nullptr;
};

}  // namespace qtr
