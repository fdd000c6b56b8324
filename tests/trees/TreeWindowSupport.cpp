#include "trees/TreeWindowSupport.h"

#include "devices/PasswordRecord.h"
#include "support/TreeCheckBox.h"
#include "trees/TreeTestIds.h"

namespace qtr::test {

std::wstring W(const std::u16string& text) {
  return std::wstring(text.begin(), text.end());
}
std::u16string U(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}

namespace {
std::wstring Long(const std::wstring& path) {
  return path.size() >= MAX_PATH - 12 ? L"\\\\?\\" + path : path;
}
}  // namespace

bool MakeFolder(const std::wstring& path) {
  return CreateDirectoryW(Long(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool MakeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0;
  CloseHandle(file);
  return ok;
}

namespace {

// What the control tells its dialog after a mouse press at where: the
// dialog reads the place from the message being handled, as for a real
// press. (Posted button messages would also do, but the pointer warp that
// SetCursorPos makes under X can arrive as a move and turn them into a drag.)
void PressAt(HWND tree, POINT where) {
  ClickTreeAt(tree, where);
  PumpMessages();
}

}  // namespace

bool ClickLabel(HWND tree, HTREEITEM item) {
  TreeView_EnsureVisible(tree, item);
  PumpMessages();
  RECT text{};
  if (!TreeView_GetItemRect(tree, item, &text, TRUE)) return false;
  PressAt(tree, POINT{text.left + 3, (text.top + text.bottom) / 2});
  return true;
}

bool ClickCheckBox(HWND tree, HTREEITEM item) {
  TreeView_EnsureVisible(tree, item);
  PumpMessages();
  POINT box{};
  if (!FindCheckBoxPoint(tree, item, &box)) return false;
  PressAt(tree, box);
  return true;
}

namespace {

// The keys a person opens and closes a folder with: unlike TVM_EXPAND, the
// control reports every opening, not only the first.
bool PressKey(HWND tree, HTREEITEM item, WPARAM key, bool expanded) {
  TreeView_SelectItem(tree, item);
  SendMessageW(tree, WM_KEYDOWN, key, 0);
  SendMessageW(tree, WM_KEYUP, key, 0);
  PumpMessages();
  return ((TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0) == expanded;
}

}  // namespace

bool Expand(HWND tree, HTREEITEM item) {
  return PressKey(tree, item, VK_ADD, true);
}
bool Collapse(HWND tree, HTREEITEM item) {
  return PressKey(tree, item, VK_SUBTRACT, false);
}

std::vector<std::u16string> ChildTexts(const CInitTreeCtrl& tree, HTREEITEM parent) {
  std::vector<std::u16string> texts;
  HTREEITEM child =
      parent == nullptr ? TreeView_GetRoot(tree.Handle()) : TreeView_GetChild(tree.Handle(), parent);
  for (; child != nullptr; child = TreeView_GetNextSibling(tree.Handle(), child))
    texts.push_back(tree.TextOf(child));
  return texts;
}

HTREEITEM ChildByText(const CInitTreeCtrl& tree, HTREEITEM parent, const std::u16string& text) {
  HTREEITEM child =
      parent == nullptr ? TreeView_GetRoot(tree.Handle()) : TreeView_GetChild(tree.Handle(), parent);
  for (; child != nullptr; child = TreeView_GetNextSibling(tree.Handle(), child)) {
    if (tree.TextOf(child) == text) return child;
  }
  return nullptr;
}

size_t ChildCount(HWND tree, HTREEITEM parent) {
  size_t count = 0;
  for (HTREEITEM child = TreeView_GetChild(tree, parent); child != nullptr;
       child = TreeView_GetNextSibling(tree, child))
    ++count;
  return count;
}

CUSBDevice UsbDisk(uint32_t number, const std::u16string& partitions, bool locked) {
  CUSBDevice disk;
  disk.m_devicePath = u"\\\\?\\usbstor#disk" + std::u16string(1, static_cast<char16_t>(u'0' + number));
  disk.m_displayName = u"QTR Disk";
  disk.m_deviceNumber = number;
  disk.m_partitions = partitions;
  disk.m_passwordRecord = FreshPasswordRecord();
  if (locked) disk.m_passwordRecord[0] = 1;
  return disk;
}

TreeDialog::TreeDialog() : Dialog(IDD_TREE_TEST) {}
HWND TreeDialog::SourceWindow() const {
  return Item(IDC_TREE_TEST_SOURCE);
}
HWND TreeDialog::TargetWindow() const {
  return Item(IDC_TREE_TEST_TARGET);
}

void TreeWindowTest::SetUp() {
  programFolder_ = temp_.Path() + u"\\";
  ASSERT_TRUE(dialog_.CreateModeless(nullptr));
  ShowWindow(dialog_.Handle(), SW_SHOW);
  SetForegroundWindow(dialog_.Handle());
  Restart();
}

void TreeWindowTest::Restart() {
  target_.reset();
  source_.reset();
  TreeView_DeleteAllItems(dialog_.SourceWindow());
  TreeView_DeleteAllItems(dialog_.TargetWindow());
  source_ = std::make_unique<CBackUpTreeCtrl>(programFolder_);
  target_ = std::make_unique<CUsbTreeCtrl>(programFolder_);
  ASSERT_TRUE(source_->Attach(dialog_.SourceWindow()));
  ASSERT_TRUE(target_->Attach(dialog_.TargetWindow()));
  source_->SetTargetTree(target_.get());
  target_->SetSourceTree(source_.get());
  PumpMessages();
}

void TreeWindowTest::TearDown() {
  target_.reset();
  source_.reset();
}

}  // namespace qtr::test
