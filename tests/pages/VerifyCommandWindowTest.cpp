// "Verify backup" on the File Backup page, through the page container: the
// check runs in the progress window, which ends with its summary line and
// lists the damaged files, and the store is left as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "config/LanguageTable.h"
#include "config/SelectionFiles.h"
#include "config/SettingsFile.h"
#include "devices/DeviceList.h"
#include "devices/EnclosureButton.h"
#include "pages/PageBox.h"
#include "resource.h"
#include "support/ExecutableFolder.h"
#include "support/MappedDrive.h"
#include "support/MessagePump.h"
#include "support/RecordingPrompter.h"
#include "support/TempFolder.h"
#include "widgets/GdiplusSession.h"

namespace qtr {
namespace {

using test::PumpMessages;

class NoPower final : public PowerControl {
 public:
  bool EnableShutdownPrivilege() override { return true; }
  bool Request(PowerRequest, uint32_t) override {
    ++requests;
    return false;
  }
  int requests = 0;
};

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

std::vector<std::wstring> ListLines(HWND list) {
  std::vector<std::wstring> lines;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
    line.resize(line.size() - 1);
    lines.push_back(line);
  }
  return lines;
}

// Every file below a folder with its bytes.
void Snapshot(const std::wstring& folder, std::map<std::wstring, std::string>* files) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Snapshot(path, files);
    } else {
      (*files)[path] = test::ReadBytes(std::u16string(path.begin(), path.end()));
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

class VerifyCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(drive_.Ok());
    folder_ = temp_.File(u"");
    SettingsFile(folder_, 0x0409).WriteDefaults();
    // The completion message keeps the File Backup page in its slot; stored files are plain copies.
    ASSERT_TRUE(SettingsFile(folder_, 0x0409).Store(u"BackupFinish", u"0"));
    ASSERT_TRUE(SettingsFile(folder_, 0x0409).Store(u"CompressFile", u"0"));
    mainWindow_ = CreateWindowExW(0, L"STATIC", L"verify test", WS_POPUP, 0, 0, 700, 500, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    source_ = sources_.Path() + u"\\letters";
    CreateDirectoryW(std::wstring(source_.begin(), source_.end()).c_str(), nullptr);
    test::WriteBytes(source_ + u"\\a.txt", std::string(3000, 'a'));
    test::WriteBytes(source_ + u"\\b.txt", std::string(4000, 'b'));
    ASSERT_TRUE(SelectionFiles(folder_).ApplyCheckChange(
        source_, CheckState::kChecked, [](const std::u16string&) { return std::vector<std::u16string>{}; }));

    PageBoxServices services;
    services.programFolder = folder_;
    services.mainWindow = mainWindow_;
    services.prompter = &prompter_;
    services.power = &power_;
    services.devices = &devices_;
    services.button = &button_;
    box_ = std::make_unique<CPageBox>(services);
    ASSERT_TRUE(box_->Create(mainWindow_, 0, 0, true));
    ShowWindow(mainWindow_, SW_SHOW);
    PumpMessages();
  }
  void TearDown() override {
    box_.reset();
    DestroyWindow(mainWindow_);
    PumpMessages();
  }

  HWND PageItem(int id) { return box_->BackUpPage().Item(id); }
  void Choose(const std::wstring& drive) {
    HWND list = PageItem(IDC_BACKUP_TARGET_LIST);
    SendMessageW(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive.c_str()));
    SendMessageW(box_->BackUpPage().Handle(), WM_COMMAND, MAKEWPARAM(IDC_BACKUP_TARGET_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    PumpMessages();
  }
  // Pumps until the job's Close button shows.
  HWND WaitForEnd() {
    if (box_->Job() == nullptr) return nullptr;
    HWND close = GetDlgItem(box_->Job()->Handle(), IDC_PROGRESS_CLOSE);
    const DWORD start = GetTickCount();
    while (!IsWindowVisible(close) && GetTickCount() - start < 20000) {
      PumpMessages();
      Sleep(5);
    }
    return IsWindowVisible(close) ? close : nullptr;
  }
  void Close(HWND close) {
    SendMessageW(close, BM_CLICK, 0, 0);
    PumpMessages();
  }
  // Presses "Verify backup" and waits for the end; the summary line and the failure lines.
  void Verify(std::wstring* summary, std::vector<std::wstring>* lines) {
    const size_t asked = prompter_.asked.size();
    SendMessageW(PageItem(IDC_BACKUP_VERIFY), BM_CLICK, 0, 0);
    PumpMessages();
    ASSERT_NE(box_->Job(), nullptr);
    EXPECT_TRUE(box_->Job()->Settings().verify);
    EXPECT_EQ(box_->SlotWindow(CPageBox::kBackUpSlot), box_->Job()->Handle());
    HWND close = WaitForEnd();
    ASSERT_NE(close, nullptr);
    HWND job = box_->Job()->Handle();
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(job, IDC_PROGRESS_VERIFY_SUMMARY)));
    *summary = TextOf(GetDlgItem(job, IDC_PROGRESS_VERIFY_SUMMARY));
    *lines = ListLines(GetDlgItem(job, IDC_PROGRESS_FAILURES));
    // The findings list has rows to read them in, and the summary stays clear of Close.
    HWND list = GetDlgItem(job, IDC_PROGRESS_FAILURES);
    const int row = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    RECT client{}, summaryBox{}, closeBox{};
    GetClientRect(list, &client);
    EXPECT_GE(client.bottom, 4 * row);
    GetWindowRect(GetDlgItem(job, IDC_PROGRESS_VERIFY_SUMMARY), &summaryBox);
    GetWindowRect(close, &closeBox);
    RECT overlap{};
    EXPECT_FALSE(IntersectRect(&overlap, &summaryBox, &closeBox));
    EXPECT_EQ(TextOf(GetDlgItem(job, IDC_PROGRESS_FINISHED_LABEL)), L"Files checked:");
    Close(close);
    // The page is back, with nothing asked and nothing powered off.
    EXPECT_EQ(box_->Job(), nullptr);
    EXPECT_TRUE(box_->State().Idle());
    EXPECT_EQ(box_->SlotWindow(CPageBox::kBackUpSlot), box_->BackUpPage().Handle());
    EXPECT_TRUE(IsWindowVisible(box_->BackUpPage().Handle()));
    EXPECT_EQ(power_.requests, 0);
    // A verify asks nothing, not even at its end.
    EXPECT_EQ(prompter_.asked.size(), asked);
  }

  GdiplusSession gdiplus_;
  test::TempFolder temp_, sources_, store_;
  std::u16string folder_, source_;
  HWND mainWindow_ = nullptr;
  test::RecordingPrompter prompter_;
  NoPower power_;
  DeviceList devices_;
  EnclosureButton button_;
  std::unique_ptr<CPageBox> box_;
  test::MappedDrive drive_{L'k', [this] {
                             const std::u16string path = store_.Path();
                             return std::wstring(path.begin(), path.end());
                           }()};
  test::SimulatedWorld world_{
      "drive = C fixed 0\n[disk]\npath = \\\\?\\usbstor#box\nimage = box.img\nvendor = WDC\nproduct = Box\n"
      "number = 1\ngeometry = 2 16 63 512\nvolume = K\n"};
};

TEST_F(VerifyCommandTest, VerifyOfTheChosenTargetShowsItsSummaryAndListsADamagedFile) {
  // Nothing to verify before a target is chosen.
  EXPECT_FALSE(IsWindowEnabled(PageItem(IDC_BACKUP_VERIFY)));
  EXPECT_EQ(TextOf(PageItem(IDC_BACKUP_VERIFY)), L"Verify backup");
  Choose(L"K:");
  EXPECT_TRUE(IsWindowEnabled(PageItem(IDC_BACKUP_VERIFY)));

  // A target without a backup says so.
  std::wstring summary;
  std::vector<std::wstring> lines;
  Verify(&summary, &lines);
  EXPECT_EQ(summary, L"There is no backup on this disk to verify.");
  EXPECT_TRUE(lines.empty());

  SendMessageW(GetDlgItem(box_->Handle(), IDC_PAGEBOX_BACKUP), BM_CLICK, 0, 0);
  PumpMessages();
  HWND close = WaitForEnd();
  ASSERT_NE(close, nullptr);
  Close(close);
  ASSERT_TRUE(IsWindowEnabled(PageItem(IDC_BACKUP_VERIFY)));

  Verify(&summary, &lines);
  EXPECT_EQ(summary, L"2 files checked: no damage found.");
  EXPECT_TRUE(lines.empty());

  // A flipped byte in one stored file, its time kept: the disk went bad under it.
  const std::u16string stored = u"K:\\QTRPMB\\" + source_.substr(0, 1) + source_.substr(2) + u"\\b.txt";
  const std::wstring storedWide(stored.begin(), stored.end());
  std::string bytes = test::ReadBytes(stored);
  ASSERT_EQ(bytes.size(), 4000u);
  FILETIME written{};
  {
    HANDLE file =
        CreateFileW(storedWide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    GetFileTime(file, nullptr, nullptr, &written);
    SetFilePointer(file, 100, nullptr, FILE_BEGIN);
    DWORD done = 0;
    WriteFile(file, "c", 1, &done, nullptr);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
  }
  std::map<std::wstring, std::string> before, after;
  Snapshot(L"K:\\QTRPMB", &before);
  const std::string record = test::ReadBytes(folder_ + u"backupinfo.xml");

  Verify(&summary, &lines);
  EXPECT_EQ(summary, L"2 stored files: 1 sound, 1 damaged, 0 not checked; 0 missing. The backup is damaged.");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], storedWide + L";damaged: its content differs from the index");
  // No stored file changes; only the index learns of the damage.
  Snapshot(L"K:\\QTRPMB", &after);
  const auto outsideIndex = [](std::map<std::wstring, std::string> files) {
    std::erase_if(files, [](const auto& file) { return file.first.starts_with(L"K:\\QTRPMB\\~index"); });
    return files;
  };
  EXPECT_EQ(outsideIndex(after), outsideIndex(before));
  EXPECT_EQ(test::ReadBytes(folder_ + u"backupinfo.xml"), record);
}

TEST_F(VerifyCommandTest, TheCommandFollowsTheActiveLanguageAndItsTextFitsInEach) {
  for (const auto& [language, text] :
       {std::pair{u"0x0804", L"\u6821\u9a8c\u5907\u4efd"}, std::pair{u"0x0409", L"Verify backup"}}) {
    ASSERT_TRUE(ApplyLanguage(test::ExecutableFolder(), language));
    box_->ShowTexts();
    HWND button = PageItem(IDC_BACKUP_VERIFY);
    EXPECT_EQ(TextOf(button), text);
    RECT client{};
    GetClientRect(button, &client);
    HDC dc = GetDC(button);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
    SelectObject(dc, old);
    ReleaseDC(button, dc);
    EXPECT_LE(extent.cx + 12, client.right) << text;
    // It stays beside the target list, not over it.
    RECT list{}, place{};
    GetWindowRect(PageItem(IDC_BACKUP_TARGET_LIST), &list);
    GetWindowRect(button, &place);
    EXPECT_LE(list.right, place.left);
    EXPECT_EQ(list.top, place.top);
  }
}

}  // namespace
}  // namespace qtr
