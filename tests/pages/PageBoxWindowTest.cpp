// The page container as a window: its pages taking turns, the bottom
// buttons, the device-state rule, the start checks behind its buttons and
// the hotkey, and its texts in another language.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "config/BackupPassword.h"
#include "config/LanguageTable.h"
#include "DeviceTestSupport.h"
#include "config/SelectionFiles.h"
#include "config/SettingsFile.h"
#include "devices/DeviceList.h"
#include "devices/EnclosureButton.h"
#include "pages/PageBox.h"
#include "platform/UserDataProtection.h"
#include "platform/WideText.h"
#include "support/ExecutableFolder.h"
#include "support/MappedDrive.h"
#include "resource.h"
#include "support/MessagePump.h"
#include "support/RecordingPrompter.h"
#include "support/TempFolder.h"
#include "support/TreeCheckBox.h"
#include "widgets/GdiplusSession.h"

namespace qtr {
namespace {

using test::PumpMessages;

class NoPower final : public PowerControl {
 public:
  bool EnableShutdownPrivilege() override { return true; }
  bool Request(PowerRequest request, uint32_t) override {
    ++requests;
    last = request;
    return false;
  }
  int requests = 0;
  PowerRequest last = PowerRequest::None;
};

std::wstring TextOf(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

class PageBoxWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.File(u"");
    SettingsFile(folder_, 0x0409).WriteDefaults();
    mainWindow_ = CreateWindowExW(0, L"STATIC", L"page box test", WS_POPUP, 0, 0, 700, 500, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
  }
  void TearDown() override {
    box_.reset();
    DestroyWindow(mainWindow_);
    PumpMessages();
  }
  CPageBox& Make(bool firstRun) {
    PageBoxServices services;
    services.programFolder = folder_;
    services.mainWindow = mainWindow_;
    services.prompter = &prompter_;
    services.power = &power_;
    services.devices = &devices_;
    services.button = &button_;
    box_ = std::make_unique<CPageBox>(services);
    EXPECT_TRUE(box_->Create(mainWindow_, 0, 0, firstRun));
    PumpMessages();
    return *box_;
  }
  HWND Item(int id) const { return GetDlgItem(box_->Handle(), id); }
  void Click(int id) {
    SendMessageW(Item(id), BM_CLICK, 0, 0);
    PumpMessages();
  }
  void ExpectIdle() {
    EXPECT_TRUE(box_->State().Idle());
    EXPECT_EQ(box_->Job(), nullptr);
    for (int id :
         {IDC_PAGEBOX_QUICK_PAGE, IDC_PAGEBOX_BACKUP_PAGE, IDC_PAGEBOX_MANAGE_PAGE, IDC_PAGEBOX_SET_PAGE})
      EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
  }

  GdiplusSession gdiplus_;
  test::TempFolder temp_;
  std::u16string folder_;
  HWND mainWindow_ = nullptr;
  test::RecordingPrompter prompter_;
  NoPower power_;
  DeviceList devices_;
  EnclosureButton button_;
  std::unique_ptr<CPageBox> box_;
};

TEST_F(PageBoxWindowTest, FirstRunOpensOnFileBackupAndPagesTakeTurns) {
  CPageBox& box = Make(true);
  ShowWindow(mainWindow_, SW_SHOW);
  EXPECT_EQ(box.CurrentSlot(), CPageBox::kBackUpSlot);
  EXPECT_EQ(box.SlotWindow(1), box.BackUpPage().Handle());
  EXPECT_TRUE(IsWindowVisible(box.BackUpPage().Handle()));
  EXPECT_TRUE(IsWindowVisible(Item(IDC_PAGEBOX_BACKUP)));
  EXPECT_TRUE(IsWindowVisible(Item(IDC_PAGEBOX_RESTORE)));

  Click(IDC_PAGEBOX_SET_PAGE);
  EXPECT_EQ(box.CurrentSlot(), CPageBox::kSetSlot);
  EXPECT_TRUE(IsWindowVisible(box.SetPage()->Handle()));
  EXPECT_FALSE(IsWindowVisible(box.BackUpPage().Handle()));
  // Backup and Restore belong to the File Backup page only.
  EXPECT_FALSE(IsWindowVisible(Item(IDC_PAGEBOX_BACKUP)));
  EXPECT_FALSE(IsWindowVisible(Item(IDC_PAGEBOX_RESTORE)));
  EXPECT_TRUE(IsWindowVisible(Item(IDC_PAGEBOX_MINIMIZE)));

  Click(IDC_PAGEBOX_QUICK_PAGE);
  EXPECT_TRUE(IsWindowVisible(box.QuickPage().Handle()));
  EXPECT_FALSE(IsWindowVisible(box.SetPage()->Handle()));

  Click(IDC_PAGEBOX_MINIMIZE);
  EXPECT_FALSE(IsWindowVisible(mainWindow_));
}

TEST_F(PageBoxWindowTest, LaterStartsOpenOnQuickActivate) {
  CPageBox& box = Make(false);
  EXPECT_EQ(box.CurrentSlot(), CPageBox::kQuickSlot);
  EXPECT_EQ(GetParent(box.QuickPage().Handle()), box.Handle());
  EXPECT_EQ(GetWindowLongPtrW(box.QuickPage().Handle(), GWL_STYLE) & WS_VISIBLE, WS_VISIBLE);
}

TEST_F(PageBoxWindowTest, WithoutATargetDiskTheLaunchButtonAndRestoreAreOff) {
  CPageBox& box = Make(true);
  EXPECT_EQ(box.BackUpPage().TargetCount(), 0);
  EXPECT_FALSE(IsWindowEnabled(box.QuickPage().LaunchButton()));
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_PAGEBOX_RESTORE)));
}

TEST_F(PageBoxWindowTest, BackupAndRestoreWithNothingToWorkOnTellAndStayIdle) {
  Make(true);
  Click(IDC_PAGEBOX_BACKUP);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.Said()[0], u"Tips|Please select files for backup!");
  ExpectIdle();

  prompter_.asked.clear();
  Click(IDC_PAGEBOX_RESTORE);
  // Nothing more is asked after the first message.
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.Said()[0], u"Tips|No disk for restore");
  ExpectIdle();
  EXPECT_FALSE(box_->State().restore);
}

TEST_F(PageBoxWindowTest, QuickLaunchWithNothingSelectedTellsAndStaysIdle) {
  CPageBox& box = Make(false);
  EnableWindow(box.QuickPage().LaunchButton(), TRUE);
  SendMessageW(box.QuickPage().LaunchButton(), BM_CLICK, 0, 0);
  PumpMessages();
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.Said()[0], u"Tips|Please select files for backup!");
  ExpectIdle();
  EXPECT_FALSE(box.State().quickLaunch);
}

TEST_F(PageBoxWindowTest, HotKeyShowsTheHiddenWindowOnFileBackupAndStarts) {
  CPageBox& box = Make(false);
  ASSERT_FALSE(IsWindowVisible(mainWindow_));
  box.OnHotKey();
  PumpMessages();
  EXPECT_TRUE(IsWindowVisible(mainWindow_));
  EXPECT_EQ(box.CurrentSlot(), CPageBox::kBackUpSlot);
  EXPECT_TRUE(IsWindowVisible(box.BackUpPage().Handle()));
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.Said()[0], u"Tips|Please select files for backup!");
  ExpectIdle();
}

TEST_F(PageBoxWindowTest, TextsFollowTheActiveLanguage) {
  CPageBox& box = Make(true);
  EXPECT_EQ(TextOf(Item(IDC_PAGEBOX_QUICK_PAGE)), L"Quick Activate");
  ASSERT_TRUE(ApplyLanguage(test::ExecutableFolder(), u"0x0804"));
  box.ShowTexts();
  EXPECT_NE(TextOf(Item(IDC_PAGEBOX_QUICK_PAGE)), L"Quick Activate");
  EXPECT_NE(TextOf(Item(IDC_PAGEBOX_SET_PAGE)), L"Setting");
  ASSERT_TRUE(ApplyLanguage(test::ExecutableFolder(), u"0x0409"));
  box.ShowTexts();
  EXPECT_EQ(TextOf(Item(IDC_PAGEBOX_SET_PAGE)), L"Setting");
  EXPECT_EQ(power_.requests, 0);
}

TEST_F(PageBoxWindowTest, SystemFolderSwitchesShowAndHideTheFolderOfAnOpenCAtOnce) {
  CPageBox& box = Make(true);
  CBackUpTreeCtrl& source = box.BackUpPage().SourceTree();
  HTREEITEM c = source.FindPath(u"C:\\");
  ASSERT_NE(c, nullptr);
  TreeView_SelectItem(source.Handle(), c);
  SendMessageW(source.Handle(), WM_KEYDOWN, VK_ADD, 0);
  SendMessageW(source.Handle(), WM_KEYUP, VK_ADD, 0);
  PumpMessages();
  ASSERT_NE(source.FindPath(u"C:\\users"), nullptr);
  EXPECT_EQ(source.FindPath(u"C:\\windows"), nullptr);
  HWND windows = GetDlgItem(box.SetPage()->BackupPage().Handle(), IDC_BKSET_WINDOWS);
  SendMessageW(windows, BM_CLICK, 0, 0);
  PumpMessages();
  EXPECT_NE(source.FindPath(u"C:\\windows"), nullptr);
  SendMessageW(windows, BM_CLICK, 0, 0);
  PumpMessages();
  EXPECT_EQ(source.FindPath(u"C:\\windows"), nullptr);
  EXPECT_NE(source.FindPath(u"C:\\users"), nullptr);
}

// A simulated disk with its partition K: on a mapped folder, and a folder
// of the C: drive ticked in the selection files: a real backup can run.
class PageBoxJobTest : public PageBoxWindowTest {
 protected:
  void SetUp() override {
    PageBoxWindowTest::SetUp();
    ASSERT_TRUE(drive_.Ok());
    source_ = sources_.Path() + u"\\pictures";
    CreateDirectoryW(std::wstring(source_.begin(), source_.end()).c_str(), nullptr);
    test::WriteBytes(source_ + u"\\a.jpg", std::string(5000, 'j'));
    ASSERT_TRUE(SelectionFiles(folder_).ApplyCheckChange(
        source_, CheckState::kChecked, [](const std::u16string&) { return std::vector<std::u16string>{}; }));
  }
  void Choose(const std::wstring& drive) {
    HWND list = box_->BackUpPage().Item(IDC_BACKUP_TARGET_LIST);
    SendMessageW(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive.c_str()));
    SendMessageW(box_->BackUpPage().Handle(), WM_COMMAND, MAKEWPARAM(IDC_BACKUP_TARGET_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    PumpMessages();
  }
  // Pumps until the job's Close button shows, then presses it.
  void CloseWhenEnded() {
    ASSERT_NE(box_->Job(), nullptr);
    HWND close = GetDlgItem(box_->Job()->Handle(), IDC_PROGRESS_CLOSE);
    const DWORD start = GetTickCount();
    while (!IsWindowVisible(close) && GetTickCount() - start < 20000) {
      PumpMessages();
      Sleep(5);
    }
    ASSERT_TRUE(IsWindowVisible(close));
    SendMessageW(close, BM_CLICK, 0, 0);
    PumpMessages();
  }

  test::TempFolder sources_, store_;
  std::u16string source_;
  test::MappedDrive drive_{L'k', [this] {
                             const std::u16string path = store_.Path();
                             return std::wstring(path.begin(), path.end());
                           }()};
  test::SimulatedWorld world_{
      "drive = C fixed 0\n[disk]\npath = \\\\?\\usbstor#box\nimage = box.img\nvendor = WDC\nproduct = Box\n"
      "number = 1\ngeometry = 2 16 63 512\nvolume = K\n"};
};

TEST_F(PageBoxJobTest, AJobHoldsTheFileBackupSlotAndCloseRunsTheChosenCompletion) {
  const struct {
    const char16_t* finish;
    int slotAfter;
    PowerRequest power;
  } cases[] = {{u"0", 1, PowerRequest::None},
               {u"1", 0, PowerRequest::None},
               {u"2", 1, PowerRequest::PowerOff},
               {u"3", 1, PowerRequest::Restart}};
  SettingsFile settings(folder_, 0x0409);
  ASSERT_TRUE(settings.Store(u"HideBackupFiles", u"1"));
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.finish, c.finish + 1));
    ASSERT_TRUE(settings.Store(u"BackupFinish", c.finish));
    power_ = NoPower();
    if (!box_) Make(true);
    ShowWindow(mainWindow_, SW_SHOW);
    box_->SwitchToSlot(CPageBox::kBackUpSlot);
    Choose(L"K:");
    Click(IDC_PAGEBOX_BACKUP);
    ASSERT_NE(box_->Job(), nullptr);
    EXPECT_EQ(box_->SlotWindow(1), box_->Job()->Handle());
    EXPECT_TRUE(IsWindowVisible(box_->Job()->Handle()));
    EXPECT_FALSE(IsWindowVisible(box_->BackUpPage().Handle()));
    for (int id :
         {IDC_PAGEBOX_QUICK_PAGE, IDC_PAGEBOX_BACKUP_PAGE, IDC_PAGEBOX_MANAGE_PAGE, IDC_PAGEBOX_SET_PAGE})
      EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    EXPECT_FALSE(IsWindowVisible(Item(IDC_PAGEBOX_BACKUP)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_PAGEBOX_RESTORE)));
    // The store was made hidden before the job's first file.
    const DWORD attributes = GetFileAttributesW(L"K:\\QTRPMB");
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
    // No power request before Close.
    CloseWhenEnded();
    EXPECT_EQ(power_.last, c.power);
    EXPECT_EQ(power_.requests, c.power == PowerRequest::None ? 0 : 1);
    ExpectIdle();
    EXPECT_EQ(box_->CurrentSlot(), c.slotAfter);
    EXPECT_EQ(box_->SlotWindow(1), box_->BackUpPage().Handle());
  }
}

TEST_F(PageBoxJobTest, RestoreWithADiskButNoPartitionChosenAsksForFiles) {
  Make(true);
  ASSERT_GT(box_->BackUpPage().TargetCount(), 0);
  ASSERT_FALSE(box_->BackUpPage().TargetTree().HasPartitionItem());
  Click(IDC_PAGEBOX_RESTORE);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.Said()[0], u"Tips|Please select files for restore!");
  ExpectIdle();
  EXPECT_FALSE(box_->State().restore);
}

// The mouse of the X server presses the item's check box, as a person does.
bool ClickCheckBoxWithTheMouse(HWND tree, HTREEITEM item) {
  TreeView_EnsureVisible(tree, item);
  PumpMessages();
  POINT screen{};
  if (!test::FindCheckBoxPoint(tree, item, &screen)) return false;
  ClientToScreen(tree, &screen);
  return test::RunHostCommand(L"/usr/bin/xdotool", L"mousemove " + std::to_wstring(screen.x) + L" " +
                                                       std::to_wstring(screen.y) + L" sleep 0.3 click 1");
}

TEST_F(PageBoxJobTest, ACancelledRestoreLeavesTheRestoreFlagClearAndARestoreNeverPowersOff) {
  ASSERT_TRUE(SettingsFile(folder_, 0x0409).Store(u"BackupFinish", u"2"));
  Make(true);
  ShowWindow(mainWindow_, SW_SHOW);
  SetForegroundWindow(mainWindow_);
  Choose(L"K:");
  Click(IDC_PAGEBOX_BACKUP);
  CloseWhenEnded();
  power_ = NoPower();

  CUsbTreeCtrl& tree = box_->BackUpPage().TargetTree();
  HTREEITEM root = TreeView_GetRoot(tree.Handle());
  ASSERT_NE(root, nullptr);
  ASSERT_TRUE(ClickCheckBoxWithTheMouse(tree.Handle(), root));
  const DWORD start = GetTickCount();
  while (tree.CheckedStorePaths().empty() && GetTickCount() - start < 5000) {
    PumpMessages();
    Sleep(10);
  }
  ASSERT_FALSE(tree.CheckedStorePaths().empty());

  prompter_.asked.clear();
  prompter_.answer = false;
  Click(IDC_PAGEBOX_RESTORE);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.Said()[0], u"File Restore|Restore the selected files?");
  EXPECT_FALSE(box_->State().restore);
  ExpectIdle();
  EXPECT_TRUE(IsWindowVisible(Item(IDC_PAGEBOX_RESTORE)));

  // Confirmed, the restore runs; its end never asks for the power-off the backups are set to.
  prompter_.answer = true;
  Click(IDC_PAGEBOX_RESTORE);
  ASSERT_NE(box_->Job(), nullptr);
  EXPECT_TRUE(box_->State().restore);
  CloseWhenEnded();
  EXPECT_EQ(power_.requests, 0);
  EXPECT_FALSE(box_->State().restore);
  ExpectIdle();
}

// Every file of the store under root, with its bytes.
void ReadTree(const std::wstring& root, std::vector<std::string>* files) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((root + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ReadTree(root + L"\\" + name, files);
    else
      files->push_back(test::ReadBytes(AsU16string(root + L"\\" + name)));
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

// With "Encryption" ticked a backup starts only with the store's key: none
// without a password, and with the kept one the store gets its key file.
TEST_F(PageBoxJobTest, AnEncryptedBackupStartsOnlyWithAKeptOrGivenPassword) {
  SettingsFile settings(folder_, 0x0409);
  ASSERT_TRUE(settings.Store(u"SetPassword", u"1"));
  ASSERT_TRUE(settings.Store(u"MakeSure", u"0"));
  ASSERT_TRUE(settings.Store(u"CompressFile", u"0"));
  Make(true);
  ShowWindow(mainWindow_, SW_SHOW);
  box_->SwitchToSlot(CPageBox::kBackUpSlot);
  Choose(L"K:");
  // The start is confirmed; the question for a password is declined.
  prompter_.decide = [](const Question& question) { return question.title != u"Tips"; };
  Click(IDC_PAGEBOX_BACKUP);
  EXPECT_EQ(prompter_.Said(), (std::vector<std::u16string>{
                                  u"File Backup|Start backup now ?",
                                  u"Tips|Encryption is on, but no backup password is set. Set one now?"}));
  ExpectIdle();
  EXPECT_EQ(GetFileAttributesW(L"K:\\QTRPMB\\~key.bin"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(L"K:\\QTRPMB"), INVALID_FILE_ATTRIBUTES) << "nothing stored";
  EXPECT_TRUE(IsWindowVisible(Item(IDC_PAGEBOX_BACKUP)));

  BackupPassword kept(SystemFileSystem(), SystemUserDataProtection(), folder_);
  ASSERT_EQ(kept.Keep("page-box-pw"), 0u);
  prompter_.asked.clear();
  prompter_.decide = nullptr;
  Click(IDC_PAGEBOX_BACKUP);
  ASSERT_NE(box_->Job(), nullptr);
  EXPECT_NE(GetFileAttributesW(L"K:\\QTRPMB\\~key.bin"), INVALID_FILE_ATTRIBUTES);
  CloseWhenEnded();
  ExpectIdle();
  std::vector<std::string> stored;
  ReadTree(L"K:\\QTRPMB", &stored);
  EXPECT_GE(stored.size(), 2u) << "the key file and the stored picture";
  for (const std::string& bytes : stored) EXPECT_EQ(bytes.find(std::string(64, 'j')), std::string::npos);
}

}  // namespace
}  // namespace qtr
