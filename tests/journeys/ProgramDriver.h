// Runs QtrBackup.exe from a program folder of its own and drives its
// windows from outside: finds them by title and control id, presses
// buttons, chooses list entries, and waits for what a person would wait for.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "platform/Handles.h"

namespace qtr::test {

// Polls until condition holds or the time is up; true when it held.
bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds);

class ProgramDriver {
 public:
  // folder (with a trailing backslash) gets a copy of the program.
  explicit ProgramDriver(std::wstring folder);
  ~ProgramDriver();

  bool Start();
  // Quits through the Quit button and waits for the process to end.
  void Quit();

  HWND MainWindow() const { return main_; }
  // The page container: the child of the main window holding the Backup button.
  HWND PageBox() const;
  // The File Backup page: the page container's child holding the target list.
  HWND BackUpPage() const;
  // The progress window: the page container's child holding the Close button.
  HWND JobWindow() const;
  // A top-level window of the program with this title, visible.
  HWND FindTopLevel(const std::wstring& title) const;
  // A visible top-level window of the program holding a control with the id,
  // whatever its title (a question in any language).
  HWND FindDialogHolding(int id) const;
  // How many visible top-level windows of the program have this title.
  int CountTopLevel(const std::wstring& title) const;
  // The program's process ended within the time.
  bool Ended(DWORD milliseconds) const;

  // The program's windows answer posted clicks after any question they open.
  static void Click(HWND window, int id);
  // Chooses the entry with that text in a combo box and tells its parent.
  static bool Choose(HWND parent, int id, const std::wstring& text);
  static std::wstring Text(HWND window, int id);
  // Clicks the item's check box with the real mouse (xdotool under Xvfb);
  // where the box is on screen is read from the program's tree.
  bool ClickCheckBox(HWND tree, HTREEITEM item) const;
  // The item data of an item of the program's tree (0 when it cannot be read).
  LPARAM ItemData(HWND tree, HTREEITEM item) const;
  // The text of an item of the program's tree (empty when it cannot be read).
  std::wstring ItemText(HWND tree, HTREEITEM item) const;

 private:
  std::wstring folder_;
  UniqueHandle process_;
  DWORD processId_ = 0;
  HWND main_ = nullptr;
};

}  // namespace qtr::test
