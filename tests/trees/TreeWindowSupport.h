// What the window tests of the trees share: a dialog with a source and a
// target tree, folders to map as drives, and a click on a check box made
// the way a mouse makes it.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "devices/DeviceList.h"
#include "support/MappedDrive.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"
#include "trees/UsbTreeCtrl.h"
#include "widgets/Dialog.h"

namespace qtr::test {

std::wstring W(const std::u16string& text);
std::u16string U(const std::wstring& text);

// Creates a folder or a file (with its text) below a Windows path; long paths welcome.
bool MakeFolder(const std::wstring& path);
bool MakeFile(const std::wstring& path, const std::string& bytes = "x");

// Presses the mouse on the item's check box; false when it cannot be found on screen.
bool ClickCheckBox(HWND tree, HTREEITEM item);
// Presses the mouse on the item's label.
bool ClickLabel(HWND tree, HTREEITEM item);
bool Expand(HWND tree, HTREEITEM item);
bool Collapse(HWND tree, HTREEITEM item);

// The labels of an item's children (root level for nullptr), in order.
std::vector<std::u16string> ChildTexts(const CInitTreeCtrl& tree, HTREEITEM parent);
HTREEITEM ChildByText(const CInitTreeCtrl& tree, HTREEITEM parent, const std::u16string& text);
size_t ChildCount(HWND tree, HTREEITEM parent);

// A supported USB disk as the device list holds it.
CUSBDevice UsbDisk(uint32_t number, const std::u16string& partitions, bool locked = false);

class TreeDialog : public Dialog {
 public:
  TreeDialog();
  HWND SourceWindow() const;
  HWND TargetWindow() const;
};

// Both trees in their dialog, with a fresh program folder.
class TreeWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Makes the two trees again over the same program folder, as a restart does.
  void Restart();
  std::u16string ProgramFile(std::u16string_view name) const { return programFolder_ + std::u16string(name); }

  TempFolder temp_;
  std::u16string programFolder_;
  TreeDialog dialog_;
  DeviceList disks_;
  std::unique_ptr<CBackUpTreeCtrl> source_;
  std::unique_ptr<CUsbTreeCtrl> target_;
};

}  // namespace qtr::test
