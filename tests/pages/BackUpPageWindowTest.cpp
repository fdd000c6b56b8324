// The File Backup page with simulated disks: disks plugged in and pulled
// out while it runs, the password dialogs they bring up, and the target
// drive list. Modal dialogs are answered from a second thread, as a person
// would answer them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "DeviceTestSupport.h"
#include "devices/DeviceNotification.h"
#include "devices/PasswordRecord.h"
#include "pages/BackUpDialog.h"
#include "resource.h"
#include "ui/Prompter.h"
#include "support/MappedDrive.h"
#include "support/TreeCheckBox.h"

namespace qtr {
namespace {

// Disk 2 (number 2, volume P) is plugged in, disk 1 (number 1, volume Q)
// starts unplugged.
constexpr std::string_view kDisks =
    "drive = C fixed 0\n"
    "[disk]\npath = \\\\?\\usbstor#two\nimage = two.img\nvendor = WDC\nproduct = Two\n"
    "number = 2\ngeometry = 2 16 63 512\nvolume = P\n"
    "[disk]\npath = \\\\?\\usbstor#one\nimage = one.img\nvendor = ST\nproduct = One\n"
    "number = 1\ngeometry = 2 16 63 512\nvolume = Q\npresent = no\n";
constexpr size_t kTwo = 0, kOne = 1;

std::wstring W(const std::u16string& text) {
  return std::wstring(text.begin(), text.end());
}

class RecordingPrompter final : public Prompter {
 public:
  bool Ask(const Question& question) override {
    asked.push_back(question.message);
    return true;
  }
  std::vector<std::u16string> asked;
};

class CountingHost final : public BackUpPageHost {
 public:
  void OnPageTick() override { ++ticks; }
  void OnDiskRemoved() override { ++removals; }
  void ApplyDeviceState() override { ++deviceStates; }
  std::atomic<int> ticks{0};
  int removals = 0, deviceStates = 0;
};

// Waits on its own thread for a top-level window with the title, lets the
// answer look at it and press its buttons, and tells what it saw.
class DialogAnswerer {
 public:
  DialogAnswerer(std::wstring title, std::function<void(HWND)> answer)
      : thread_([this, title = std::move(title), answer = std::move(answer)] {
          const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
          while (std::chrono::steady_clock::now() < until) {
            HWND dialog = FindWindowW(nullptr, title.c_str());
            if (dialog != nullptr && IsWindowVisible(dialog)) {
              answer(dialog);
              seen_ = true;
              return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
          }
        }) {}
  ~DialogAnswerer() { Join(); }
  bool Seen() {
    Join();
    return seen_;
  }

 private:
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  std::atomic<bool> seen_{false};
  std::thread thread_;
};

void Type(HWND dialog, int id, const wchar_t* text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}
void Press(HWND dialog, int id) {
  SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
std::wstring TextOf(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetWindowTextW(GetDlgItem(dialog, id), text, 256);
  return text;
}

// The item data of a tree's root items, in order.
std::vector<uintptr_t> RootData(const CInitTreeCtrl& tree) {
  std::vector<uintptr_t> data;
  const TreeItems& items = tree.Items();
  for (TreeItem item = items.FirstChild(kNoItem); item != kNoItem; item = items.NextSibling(item))
    data.push_back(items.Data(item));
  return data;
}
int StateOfData(const CInitTreeCtrl& tree, uintptr_t data) {
  const TreeItems& items = tree.Items();
  for (TreeItem item = items.FirstChild(kNoItem); item != kNoItem; item = items.NextSibling(item))
    if (items.Data(item) == data) return items.State(item);
  return -1;
}

void WritePassword(test::SimulatedWorld& world, size_t disk, std::u16string_view password) {
  const bool present = world.Devices().Present(disk);
  world.Devices().SetPresent(disk, true);
  CUSBDevice record;
  record.m_devicePath = world.Devices().DiskAt(disk).path;
  ASSERT_TRUE(record.IsHalvernDevice());
  PasswordRecord bytes{};
  ASSERT_EQ(BuildPasswordRecord(password, bytes), PasswordEncoding::Ok);
  ASSERT_EQ(record.WritePasswordRecord(bytes), CUSBDevice::RecordWrite::Written);
  world.Devices().SetPresent(disk, present);
}

class BackUpPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(driveP_.Ok());
    ASSERT_TRUE(driveQ_.Ok());
  }
  void TearDown() override {
    page_.reset();
    if (frame_ != nullptr) DestroyWindow(frame_);
  }

  // The page is a child window: a plain frame stands in for the page container.
  void Open() {
    if (frame_ == nullptr)
      frame_ =
          CreateWindowExW(0, L"STATIC", L"Page frame", WS_POPUP | WS_VISIBLE, 0, 0, CBackUpDialog::kWidth,
                          CBackUpDialog::kHeight, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame_, nullptr);
    page_ = std::make_unique<CBackUpDialog>(programFolder_.Path() + u"\\", prompter_, &host_, list_, button_);
    ASSERT_TRUE(page_->CreateModeless(frame_));
    ShowWindow(page_->Handle(), SW_SHOW);
  }
  // Plugs or pulls a disk the way a person does: the switch, then the next poll.
  void Plug(size_t disk, bool in) {
    world_.Devices().SetPresent(disk, in);
    PollSimulatedPlugs();
  }
  // Chooses an entry of the target drive list as a click would.
  void Choose(const std::wstring& drive) {
    HWND list = page_->Item(IDC_BACKUP_TARGET_LIST);
    SendMessageW(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive.c_str()));
    SendMessageW(page_->Handle(), WM_COMMAND, MAKEWPARAM(IDC_BACKUP_TARGET_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }

  test::TempFolder programFolder_, folderP_, folderQ_;
  test::MappedDrive driveP_{L'p', W(folderP_.Path())};
  test::MappedDrive driveQ_{L'q', W(folderQ_.Path())};
  test::SimulatedWorld world_{kDisks};
  DeviceList list_;
  EnclosureButton button_;
  RecordingPrompter prompter_;
  CountingHost host_;
  HWND frame_ = nullptr;
  std::unique_ptr<CBackUpDialog> page_;
};

TEST_F(BackUpPageTest, DisksPluggedInAndOutAreShownOnceInOrder) {
  Open();
  EXPECT_EQ(page_->TargetDrives(), (std::vector<std::u16string>{u"P:"}));
  EXPECT_EQ(RootData(page_->TargetTree()), (std::vector<uintptr_t>{5}));

  for (int round = 0; round < 2; ++round) {
    bool oldFieldEnabled = true;
    DialogAnswerer answer(L"Password Setting", [&](HWND dialog) {
      oldFieldEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_PASSWORD_OLD)) != FALSE;
      Press(dialog, IDC_PASSWORD_SET_CANCEL);
    });
    Plug(kOne, true);
    ASSERT_TRUE(answer.Seen()) << "a disk without password offers to set one";
    EXPECT_FALSE(oldFieldEnabled);

    const std::vector<uintptr_t> source = RootData(page_->SourceTree());
    ASSERT_EQ(source.size(), 3u) << "the computer and two disks";
    EXPECT_EQ(std::vector<uintptr_t>(source.begin() + 1, source.end()), (std::vector<uintptr_t>{4, 5}));
    EXPECT_EQ(RootData(page_->TargetTree()), (std::vector<uintptr_t>{4, 5}));
    EXPECT_EQ(page_->TargetDrives(), (std::vector<std::u16string>{u"Q:", u"P:"}));
    EXPECT_EQ(list_.Size(), 2u);

    Plug(kOne, false);
    EXPECT_EQ(RootData(page_->TargetTree()), (std::vector<uintptr_t>{5}));
    EXPECT_EQ(RootData(page_->SourceTree()).size(), 2u);
    EXPECT_EQ(page_->TargetDrives(), (std::vector<std::u16string>{u"P:"}));
  }
  EXPECT_EQ(host_.removals, 2);
}

TEST_F(BackUpPageTest, UnpluggingTheChosenTargetClearsTheChoiceWithoutAJob) {
  Open();
  Choose(L"P:");
  EXPECT_EQ(page_->SelectedTarget(), u"P:");
  EXPECT_TRUE(page_->TargetTree().HasPartitionItem());
  page_->TargetTree().m_selectedDisk = 2;
  Plug(kTwo, false);
  EXPECT_EQ(page_->TargetTree().m_diskRemoved, 1);
  EXPECT_EQ(page_->TargetTree().m_selectedDisk, -1);
  EXPECT_EQ(page_->SourceTree().m_diskRemoved, 0);
  EXPECT_EQ(page_->SelectedTarget(), u"");
  EXPECT_EQ(page_->TargetCount(), 0);
  EXPECT_FALSE(page_->TargetTree().HasPartitionItem()) << "the tree shows no partition of a disk that left";
  EXPECT_EQ(host_.removals, 1);
  EXPECT_GT(host_.deviceStates, 0);
}

TEST_F(BackUpPageTest, LockedDiskArrivingAsksForItsPasswordUntilItIsRight) {
  WritePassword(world_, kOne, u"Secret");
  Open();
  std::wstring errorAfterWrongEntry;
  DialogAnswerer answer(L"Password Authentication", [&](HWND dialog) {
    Type(dialog, IDC_PASSWORD_INPUT, L"secret");  // letter case counts
    Press(dialog, IDC_PASSWORD_VERIFY_OK);
    errorAfterWrongEntry = TextOf(dialog, IDC_PASSWORD_VERIFY_ERROR);
    Type(dialog, IDC_PASSWORD_INPUT, L"Secret");
    Press(dialog, IDC_PASSWORD_VERIFY_OK);
  });
  Plug(kOne, true);
  ASSERT_TRUE(answer.Seen());
  EXPECT_EQ(errorAfterWrongEntry, L"Error:Password error!");
  ASSERT_EQ(list_.FindByDeviceNumber(1), 0);
  EXPECT_EQ(list_[0].m_unlocked, 1);
  EXPECT_EQ(StateOfData(page_->SourceTree(), 4), 1);
  EXPECT_EQ(StateOfData(page_->TargetTree(), 4), 1);
}

TEST_F(BackUpPageTest, CancellingThePasswordOfAChosenPartitionLeavesNoTarget) {
  WritePassword(world_, kTwo, u"abc");
  Open();
  EXPECT_EQ(StateOfData(page_->TargetTree(), 5), 5) << "locked";
  bool asked = false;
  {
    DialogAnswerer answer(L"Password Authentication", [&](HWND dialog) {
      asked = true;
      Press(dialog, IDC_PASSWORD_VERIFY_CANCEL);
    });
    Choose(L"P:");
    EXPECT_TRUE(answer.Seen());
  }
  EXPECT_TRUE(asked);
  EXPECT_EQ(page_->SelectedTarget(), u"");
  EXPECT_FALSE(page_->TargetTree().HasPartitionItem());
  EXPECT_EQ(RootData(page_->TargetTree()), (std::vector<uintptr_t>{5}));

  DialogAnswerer answer(L"Password Authentication", [&](HWND dialog) {
    Type(dialog, IDC_PASSWORD_INPUT, L"abc");
    Press(dialog, IDC_PASSWORD_VERIFY_OK);
  });
  Choose(L"P:");
  ASSERT_TRUE(answer.Seen());
  EXPECT_EQ(page_->SelectedTarget(), u"P:");
  EXPECT_TRUE(page_->TargetTree().HasPartitionItem());
  EXPECT_EQ(StateOfData(page_->SourceTree(), 5), 1);
}

// Presses the mouse on an item's check box, as a person does.
bool ClickCheckBox(HWND tree, HTREEITEM item) {
  TreeView_EnsureVisible(tree, item);
  POINT where{};
  if (!test::FindCheckBoxPoint(tree, item, &where)) return false;
  // The tree asks where the cursor is when it hears of the click.
  test::ClickTreeAt(tree, where);
  return true;
}

// Visible top-level windows of this process with the title.
int WindowsTitled(const wchar_t* title) {
  struct Count {
    const wchar_t* title;
    int found = 0;
  } count{title};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* c = reinterpret_cast<Count*>(data);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t text[128] = {};
        GetWindowTextW(window, text, 128);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::wstring(text) == c->title)
          ++c->found;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count.found;
}

TEST_F(BackUpPageTest, ALockedPartitionIsNoTargetWhileItsOnePromptAsks) {
  WritePassword(world_, kTwo, u"abc");
  Open();
  std::u16string chosenWhileAsked = u"?";
  bool promptOpen = false;
  int prompts = 0;
  DialogAnswerer answer(L"Password Authentication", [&](HWND dialog) {
    chosenWhileAsked = page_->SelectedTarget();
    promptOpen = page_->PasswordPromptOpen();
    Choose(L"P:");  // again, while it asks
    prompts = WindowsTitled(L"Password Authentication");
    Type(dialog, IDC_PASSWORD_INPUT, L"abc");
    Press(dialog, IDC_PASSWORD_VERIFY_OK);
  });
  Choose(L"P:");
  ASSERT_TRUE(answer.Seen());
  EXPECT_EQ(chosenWhileAsked, u"");
  EXPECT_TRUE(promptOpen);
  EXPECT_EQ(prompts, 1);
  EXPECT_FALSE(page_->PasswordPromptOpen());
  EXPECT_EQ(page_->SelectedTarget(), u"P:") << "chosen once the password was accepted";
  EXPECT_TRUE(page_->TargetTree().HasPartitionItem());
}

TEST_F(BackUpPageTest, ALockMadeOnTheManagementPageReachesBothTrees) {
  WritePassword(world_, kTwo, u"abc");
  Open();
  const std::u16string path = world_.Devices().DiskAt(kTwo).path;
  CUSBDevice& disk = list_[static_cast<size_t>(list_.FindByDeviceNumber(2))];
  ASSERT_EQ(StateOfData(page_->SourceTree(), 5), 5);
  disk.m_unlocked = 1;  // its password entered there
  page_->PasswordCommandDone(path);
  EXPECT_EQ(StateOfData(page_->SourceTree(), 5), 1);
  EXPECT_EQ(StateOfData(page_->TargetTree(), 5), 1);

  // Chosen as the source of a disk copy and as the target partition, then locked.
  ASSERT_TRUE(ClickCheckBox(page_->SourceTree().Handle(), page_->SourceTree().DiskItem(2)));
  ASSERT_EQ(page_->SourceTree().m_selectedDisk, 2);
  Choose(L"P:");
  ASSERT_EQ(page_->SelectedTarget(), u"P:");
  disk.m_unlocked = 0;
  page_->PasswordCommandDone(path);
  EXPECT_EQ(page_->SourceTree().m_selectedDisk, -1);
  EXPECT_EQ(StateOfData(page_->SourceTree(), 5), 5);
  EXPECT_EQ(StateOfData(page_->TargetTree(), 5), 5);
  EXPECT_EQ(page_->SelectedTarget(), u"");
  EXPECT_FALSE(page_->TargetTree().HasPartitionItem());
}

TEST_F(BackUpPageTest, PartitionsOfUsbDisksAreNoLocalDrives) {
  Plug(kOne, true);  // before the page: found by the first scan, no dialog
  Open();
  const TreeItems& items = page_->SourceTree().Items();
  const TreeItem computer = FirstRoot(items);
  ASSERT_NE(computer, kNoItem);
  std::vector<std::u16string> drives;
  for (TreeItem drive = items.FirstChild(computer); drive != kNoItem; drive = items.NextSibling(drive))
    drives.push_back(items.Name(drive));
  EXPECT_FALSE(drives.empty());
  for (const std::u16string& drive : drives) {
    EXPECT_NE(drive.substr(0, 2), u"P:");
    EXPECT_NE(drive.substr(0, 2), u"Q:");
  }
  EXPECT_EQ(page_->TargetDrives().size(), 2u);
}

TEST_F(BackUpPageTest, ThePageTicksItsHostAndLetsTheRegistrationGo) {
  Open();
  EXPECT_EQ(RegisteredDeviceWindow(), page_->Handle());
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (host_.ticks.load() < 2 && std::chrono::steady_clock::now() < until) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(20);
  }
  EXPECT_GE(host_.ticks.load(), 2);
  page_.reset();
  EXPECT_EQ(RegisteredDeviceWindow(), nullptr);
  // A plug change with no window registered goes nowhere and stays unreported.
  Plug(kOne, true);
  EXPECT_TRUE(list_.Size() <= 1);
}

TEST_F(BackUpPageTest, CheckStatesComeBackWhenThePageIsMadeAgain) {
  Open();
  const TreeItem computer = FirstRoot(page_->SourceTree().Items());
  const TreeItem drive = page_->SourceTree().Items().FirstChild(computer);
  ASSERT_NE(drive, kNoItem);
  const std::u16string name = page_->SourceTree().Items().Name(drive);
  ASSERT_TRUE(ClickCheckBox(page_->SourceTree().Handle(), reinterpret_cast<HTREEITEM>(drive)));
  ASSERT_EQ(page_->SourceTree().Items().State(drive), 3);

  page_.reset();  // as when the program ends
  Open();
  const TreeItems& items = page_->SourceTree().Items();
  TreeItem again = items.FirstChild(FirstRoot(items));
  while (again != kNoItem && items.Name(again) != name) again = items.NextSibling(again);
  ASSERT_NE(again, kNoItem);
  EXPECT_EQ(items.State(again), 3);
  EXPECT_EQ(items.State(FirstRoot(items)), 2);
}

TEST(DeviceBroadcast, ReadsThePathItCarriesAndNoMore) {
  // A window that keeps what it was sent.
  struct Seen {
    WPARAM event = 0;
    uint32_t type = 0;
    std::u16string path;
    bool read = false;
  };
  static Seen seen;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM w, LPARAM l) -> LRESULT {
    if (message != WM_DEVICECHANGE) return DefWindowProcW(hwnd, message, w, l);
    seen.event = w;
    seen.read = ReadDeviceBroadcast(l, seen.type, seen.path);
    return TRUE;
  };
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QtrBroadcastTest";
  RegisterClassW(&windowClass);
  HWND window =
      CreateWindowW(L"QtrBroadcastTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendDiskInterfaceBroadcast(window, 0x8004, u"\\\\?\\usbstor#x"), TRUE);
  EXPECT_TRUE(seen.read);
  EXPECT_EQ(seen.event, 0x8004u);
  EXPECT_EQ(seen.type, 5u);
  EXPECT_EQ(seen.path, u"\\\\?\\usbstor#x");
  DestroyWindow(window);

  // A broadcast whose size ends the name early: the name stops there.
  std::vector<uint8_t> bytes(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + 16, 0);
  auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
  broadcast->dbcc_devicetype = 5;
  wcscpy(broadcast->dbcc_name, L"abcdefgh");
  broadcast->dbcc_size =
      static_cast<DWORD>(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + 3 * sizeof(wchar_t));
  uint32_t type = 0;
  std::u16string path;
  ASSERT_TRUE(ReadDeviceBroadcast(reinterpret_cast<LPARAM>(broadcast), type, path));
  EXPECT_EQ(path, u"abc");
  EXPECT_FALSE(ReadDeviceBroadcast(0, type, path));
}

}  // namespace
}  // namespace qtr
