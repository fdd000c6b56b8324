// The File Management page on a simulated disk whose volume is a mapped
// drive: its two trees, and the real password prompt before the locked
// disk's drive opens.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "devices/DeviceList.h"
#include "devices/PasswordRecord.h"
#include "pages/MangeDialog.h"
#include "resource.h"
#include "ui/Prompter.h"
#include "support/MappedDrive.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

constexpr std::string_view kDisk =
    "[disk]\npath = \\\\?\\usbstor#one\nimage = one.img\nvendor = WDC\nproduct = One\n"
    "number = 1\ngeometry = 2 16 63 512\n";
const std::u16string kPath = u"\\\\?\\usbstor#one";

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

class NoQuestions final : public Prompter {
 public:
  bool Ask(const Question& question) override {
    asked.push_back(question.title + u"|" + question.message);
    return true;
  }
  std::vector<std::u16string> asked;
};

// What the password prompt is answered with while it is shown: the text, or
// Cancel when it is empty.
std::wstring answer;
int prompts = 0;

BOOL CALLBACK AnswerPrompt(HWND window, LPARAM) {
  HWND input = GetDlgItem(window, IDC_PASSWORD_INPUT);
  if (input == nullptr || !IsWindowVisible(window)) return TRUE;
  ++prompts;
  if (answer.empty()) {
    SendMessageW(GetDlgItem(window, IDC_PASSWORD_VERIFY_CANCEL), BM_CLICK, 0, 0);
  } else {
    SetWindowTextW(input, answer.c_str());
    SendMessageW(GetDlgItem(window, IDC_PASSWORD_VERIFY_OK), BM_CLICK, 0, 0);
  }
  return FALSE;
}
void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), AnswerPrompt, 0);
}

bool Expand(HWND tree, HTREEITEM item) {
  TreeView_SelectItem(tree, item);
  SendMessageW(tree, WM_KEYDOWN, VK_ADD, 0);
  SendMessageW(tree, WM_KEYUP, VK_ADD, 0);
  Pump();
  return (TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

class ManagePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(drive_.Ok());
    CUSBDevice disk;
    disk.m_devicePath = kPath;
    ASSERT_TRUE(disk.IsHalvernDevice());
    PasswordRecord record{};
    ASSERT_EQ(BuildPasswordRecord(u"abc", record), PasswordEncoding::Ok);
    ASSERT_EQ(disk.WritePasswordRecord(record), CUSBDevice::RecordWrite::Written);
    disk.m_passwordRecord = record;
    disk.m_partitions = u"M: ";
    disk.m_unlocked = 0;
    devices_.Insert(disk);
    HANDLE file = CreateFileW(
        (std::wstring(reinterpret_cast<const wchar_t*>(volume_.Path().c_str())) + L"\\a.txt").c_str(),
        GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    parent_ = CreateWindowExW(0, L"STATIC", L"page", WS_POPUP | WS_VISIBLE, 0, 0, CMangeDialog::kWidth,
                              CMangeDialog::kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    page_.SetTargetReset([this](const std::u16string&) { ++targetResets_; });
    ASSERT_TRUE(page_.CreateModeless(parent_));
    SetWindowPos(page_.Handle(), nullptr, 0, 0, CMangeDialog::kWidth, CMangeDialog::kHeight,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
    Pump();
    answer.clear();
    prompts = 0;
    timer_ = SetTimer(nullptr, 0, 150, AnswerTimer);
  }
  void TearDown() override {
    KillTimer(nullptr, timer_);
    DestroyWindow(parent_);
    OleUninitialize();
  }

  test::SimulatedWorld world_{kDisk};
  test::TempFolder program_, volume_;
  test::MappedDrive drive_{L'm', std::wstring(reinterpret_cast<const wchar_t*>(volume_.Path().c_str()))};
  DeviceList devices_;
  NoQuestions prompter_;
  HWND parent_ = nullptr;
  CMangeDialog page_{program_.Path() + u"\\", prompter_, devices_};
  int targetResets_ = 0;
  UINT_PTR timer_ = 0;
};

TEST_F(ManagePageTest, TwoTreesSideBySideEachWithTheComputerAndADropTarget) {
  HWND left = page_.LeftTree().Handle();
  HWND right = page_.RightTree().Handle();
  ASSERT_NE(left, nullptr);
  ASSERT_NE(right, nullptr);
  RECT a{}, b{};
  GetWindowRect(left, &a);
  GetWindowRect(right, &b);
  EXPECT_LE(a.right, b.left);
  EXPECT_EQ(a.top, b.top);
  RECT heading{};
  GetWindowRect(GetDlgItem(page_.Handle(), IDC_MANAGE_TITLE), &heading);
  EXPECT_LE(heading.bottom, a.top) << "the heading is not cut by the trees";
  EXPECT_GT(a.bottom - a.top, 200);
  for (HWND tree : {left, right}) {
    EXPECT_NE(GetWindowLongPtrW(tree, GWL_STYLE) & TVS_EDITLABELS, 0);
    // Where OLE keeps a window's registered drop target.
    EXPECT_NE(GetPropW(tree, L"OleDropTargetInterface"), nullptr);
  }
  EXPECT_NE(page_.LeftTree().FindPath(u"M:\\"), nullptr);
  EXPECT_NE(page_.RightTree().FindPath(u"M:\\"), nullptr);
}

TEST_F(ManagePageTest, TheLockedDisksDriveAsksForItsPasswordAndLockingAsksAgain) {
  CManageTreeCtrl& tree = page_.LeftTree();
  HTREEITEM m = tree.FindPath(u"M:\\");
  ASSERT_NE(m, nullptr);
  // Cancel leaves it closed and the disk locked.
  EXPECT_FALSE(Expand(tree.Handle(), m));
  EXPECT_EQ(prompts, 1);
  EXPECT_EQ(devices_[0].m_unlocked, 0);
  // The right password opens it for the rest of the run, in both trees.
  answer = L"abc";
  EXPECT_TRUE(Expand(tree.Handle(), m));
  EXPECT_EQ(prompts, 2);
  EXPECT_EQ(devices_[0].m_unlocked, 1);
  EXPECT_EQ(targetResets_, 1) << "the File Backup page hears that the disk is open";
  EXPECT_TRUE(Expand(page_.RightTree().Handle(), page_.RightTree().FindPath(u"M:\\")));
  EXPECT_EQ(prompts, 2);
  // Locking closes the drive, reads the record again and clears the target choice.
  auto menu = tree.MenuFor(m);
  ASSERT_TRUE(menu);
  devices_[0].m_passwordRecord = FreshPasswordRecord();
  tree.RunMenuCommand(*menu, 101);
  EXPECT_EQ(devices_[0].m_unlocked, 0);
  EXPECT_TRUE(HasPassword(devices_[0].m_passwordRecord)) << "read again from the disk";
  EXPECT_EQ(targetResets_, 2);
  EXPECT_EQ(TreeView_GetItemState(tree.Handle(), m, TVIS_EXPANDED) & TVIS_EXPANDED, 0u);
  answer.clear();
  EXPECT_FALSE(Expand(tree.Handle(), m));
  EXPECT_EQ(prompts, 3);
}

TEST_F(ManagePageTest, ARefusedNewNameIsToldInTheProgramsMessageWindow) {
  devices_[0].m_unlocked = 1;
  CManageTreeCtrl& tree = page_.LeftTree();
  ASSERT_TRUE(Expand(tree.Handle(), tree.FindPath(u"M:\\")));
  HTREEITEM a = tree.FindPath(u"M:\\a.txt");
  ASSERT_NE(a, nullptr);
  TreeView_SelectItem(tree.Handle(), a);
  tree.StartRename();
  HWND box = TreeView_GetEditControl(tree.Handle());
  ASSERT_NE(box, nullptr);
  SetWindowTextW(box, L"x:y.txt");
  TreeView_EndEditLabelNow(tree.Handle(), FALSE);
  Pump();
  EXPECT_EQ(prompter_.asked, std::vector<std::u16string>{
                                 u"Rename|A file name cannot contain any of these characters: \\ / : * ? \" < > |"});
}

}  // namespace
}  // namespace qtr
