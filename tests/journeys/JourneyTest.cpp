// Journeys through the real program: a person's way through a backup and
// the hotkey, driven from this process, checked on the disk afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "JourneyFiles.h"
#include "ProgramDriver.h"
#include "config/BackupRecord.h"
#include "config/JobHistory.h"
#include "config/SelectionFiles.h"
#include "config/SettingsFile.h"
#include "engine/Container.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/WineHost.h"
#include "shell/TrayIcon.h"
#include "support/MappedDrive.h"
#include "support/ScreenShot.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::ProgramDriver;
using test::WaitFor;

std::wstring W(const std::u16string& text) {
  return std::wstring(text.begin(), text.end());
}
std::u16string U(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}

using test::kJourneyDisks;
using test::ReadFileBytes;
using test::WriteFileBytes;

// A simulated USB disk with its volume R: on a mapped folder, a folder of
// mixed files ticked in the selection files, and the program beside them.
class JourneyTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = W(program_.File(u""));
    source_ = W(sources_.Path()) + L"\\mixed";
    CreateDirectoryW(source_.c_str(), nullptr);
    CreateDirectoryW((source_ + L"\\nested").c_str(), nullptr);
    CreateDirectoryW((source_ + L"\\nested\\deeper").c_str(), nullptr);
    files_ = {L"\\plain.txt",        L"\\read-only.txt",
              L"\\hidden.dat",       L"\\\u5907\u4efd\u6587\u4ef6.txt",
              L"\\nested\\notes.md", L"\\nested\\deeper\\data.bin"};
    for (size_t i = 0; i < files_.size(); ++i) {
      std::string bytes;
      for (size_t n = 0; n < 3000 * (i + 1); ++n) bytes.push_back(static_cast<char>((n * 7 + i) % 251));
      ASSERT_TRUE(WriteFileBytes(source_ + files_[i], bytes));
    }
    SetFileAttributesW((source_ + L"\\read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((source_ + L"\\hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(SelectionFiles(U(folder_))
                    .ApplyCheckChange(U(source_), CheckState::kChecked,
                                      [](const std::u16string&) { return std::vector<std::u16string>{}; }));
    ASSERT_TRUE(WriteFileBytes(folder_ + L"simulated-disks.txt", kJourneyDisks));
    ASSERT_TRUE(WriteFileBytes(folder_ + L"journey.button", "up\n"));
    drive_ = std::make_unique<test::MappedDrive>(L'r', W(target_.Path()));
    ASSERT_TRUE(drive_->Ok());
  }

  // New settings compress every stored file into its own container.
  std::wstring Stored(const std::wstring& file) const {
    return L"R:\\QTRPMB\\" + source_.substr(0, 1) + source_.substr(2) + file + L".zip";
  }
  static std::string StoredBytes(const std::wstring& path) { return test::StoredBytes(path); }

  // A start that is not the first opens on Quick Activate: the File Backup page is chosen.
  void ShowBackUpPage() {
    ASSERT_TRUE(WaitFor([&] { return driver_.BackUpPage() != nullptr; }, 10000));
    ProgramDriver::Click(driver_.PageBox(), 1004);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(driver_.BackUpPage()) != FALSE; }, 5000));
  }
  // Backup chosen onto R:, started with Backup; returns the confirmation window.
  void ChooseTarget() {
    ASSERT_TRUE(WaitFor([&] { return driver_.BackUpPage() != nullptr; }, 10000));
    HWND page = driver_.BackUpPage();
    ASSERT_TRUE(WaitFor([&] { return ProgramDriver::Choose(page, 1112, L"R:"); }, 15000));
    Sleep(500);
  }

  // Answers the completion message, then presses Close of the progress window.
  // Settings written before the start (the start is then not the first).
  void StoreSetting(std::u16string_view key, std::u16string_view value) {
    SettingsFile settings(U(folder_), 0x0409);
    XmlDocument doc;
    ASSERT_TRUE(settings.LoadOrWriteDefaults(doc));
    ASSERT_TRUE(settings.Store(key, value));
  }
  void SetButton(const char* state) { ASSERT_TRUE(WriteFileBytes(folder_ + L"journey.button", state)); }
  // A backup every Wednesday at 09:05, without the question first.
  void ScheduleWednesdayAt0905() {
    StoreSetting(u"MakeSure", u"0");
    const std::wstring init = folder_ + L"init.xml";
    std::string text = ReadFileBytes(init);
    const std::string day = "<Wednesday IsSet=\"0\" Timing=\"00:00\"/>";
    const size_t at = text.find(day);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, day.size(), "<Wednesday IsSet=\"1\" Timing=\"09:05\"/>");
    ASSERT_TRUE(WriteFileBytes(init, text));
  }

  // The page of the page container holding the control.
  HWND PageHolding(int id) const {
    HWND found = nullptr;
    struct Search {
      int id;
      HWND* found;
    } search{id, &found};
    EnumChildWindows(
        driver_.PageBox(),
        [](HWND child, LPARAM data) -> BOOL {
          auto* s = reinterpret_cast<Search*>(data);
          if (GetDlgItem(child, s->id) == nullptr) return TRUE;
          *s->found = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return found;
  }

  // Ticks the store's partition in the right tree and presses Restore, confirming it.
  void StartRestore() {
    ProgramDriver::Click(driver_.PageBox(), 1004);  // the File Backup page
    HWND tree = GetDlgItem(driver_.BackUpPage(), 1113);
    HTREEITEM root = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
          root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
          return root != nullptr && IsWindowVisible(tree);
        },
        10000));
    const auto checkState = [&] {
      return SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(root), TVIS_STATEIMAGEMASK);
    };
    if (checkState() != INDEXTOSTATEIMAGEMASK(3)) {
      ASSERT_TRUE(driver_.ClickCheckBox(tree, root));
      ASSERT_TRUE(WaitFor([&] { return checkState() == INDEXTOSTATEIMAGEMASK(3); }, 5000));
    }
    ProgramDriver::Click(driver_.PageBox(), 1015);
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(restoreTitle_)) != nullptr; }, 10000));
    ProgramDriver::Click(question, 1045);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
  }

  HWND JobWindow() const { return driver_.JobWindow(); }

  void CloseFinishedJob(int backInView = 1014) {
    HWND box = driver_.PageBox();
    HWND close = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
          if (HWND message = driver_.FindTopLevel(tipsTitle_)) {
            const std::wstring said = ProgramDriver::Text(message, 23362);
            if (said != answered_) answered_ = said, messages_.push_back(said);
            ProgramDriver::Click(message, 1045);
          }
          HWND job = JobWindow();
          close = job != nullptr ? GetDlgItem(job, 1083) : nullptr;
          return close != nullptr && IsWindowVisible(close);
        },
        60000));
    HWND job = GetParent(close);
    finished_ = ProgramDriver::Text(job, 1056);
    for (int id : {1049, 1051, 1056}) {
      const std::wstring text = ProgramDriver::Text(job, id);
      std::printf("progress %d: %ls\n", id, text.c_str());
    }
    for (const std::wstring& said : messages_) std::printf("message: %ls\n", said.c_str());
    // The completion message may come up after the Close button: it is answered first.
    ASSERT_TRUE(WaitFor(
        [&] {
          if (HWND message = driver_.FindTopLevel(tipsTitle_)) {
            const std::wstring said = ProgramDriver::Text(message, 23362);
            if (said != answered_) answered_ = said, messages_.push_back(said);
            ProgramDriver::Click(message, 1045);
            return false;
          }
          if (IsWindow(close) && IsWindowVisible(close)) PostMessageW(close, BM_CLICK, 0, 0);
          HWND back =
              backInView == 1014 ? GetDlgItem(box, 1014) : GetDlgItem(PageHolding(backInView), backInView);
          return IsWindowVisible(back) != FALSE;
        },
        10000));
  }

  void ExpectStoreMatchesSource() {
    for (const std::wstring& file : files_) {
      const std::wstring from = source_ + file, to = Stored(file);
      const std::string stored = StoredBytes(to);
      EXPECT_TRUE(stored == ReadFileBytes(from)) << "differs: " << std::string(to.begin(), to.end()) << " "
                                                 << stored.size() << " " << stored.substr(0, 16);
      WIN32_FILE_ATTRIBUTE_DATA a{}, b{};
      ASSERT_TRUE(GetFileAttributesExW(from.c_str(), GetFileExInfoStandard, &a));
      ASSERT_TRUE(GetFileAttributesExW(to.c_str(), GetFileExInfoStandard, &b));
      const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
      EXPECT_EQ(a.dwFileAttributes & kept, b.dwFileAttributes & kept);
      EXPECT_EQ(CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime), 0);
    }
  }

  test::TempFolder program_, sources_, target_;
  std::wstring folder_, source_;
  std::vector<std::wstring> files_;
  std::vector<std::wstring> messages_;
  std::wstring answered_;
  // The titles of the restore's question and of the messages, in the program's language.
  std::wstring restoreTitle_ = L"File Restore", tipsTitle_ = L"Tips";
  std::wstring finished_;  // the finished count of the last job
  std::unique_ptr<test::MappedDrive> drive_;
  ProgramDriver driver_{W(program_.File(u""))};
};

TEST_F(JourneyTest, FirstBackupOfAFolderOfMixedFiles) {
  ASSERT_TRUE(driver_.Start());
  // The first start opens on File Backup.
  HWND page = driver_.BackUpPage();
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(IsWindowVisible(page));
  ChooseTarget();
  ProgramDriver::Click(driver_.PageBox(), 1014);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Backup")) != nullptr; }, 10000));
  EXPECT_EQ(ProgramDriver::Text(question, 23362), L"Start backup now ?");
  // Nobody answers: the countdown confirms.
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question) || !IsWindowVisible(question); }, 40000));
  CloseFinishedJob();
  ExpectStoreMatchesSource();
  EXPECT_FALSE(BackupRecord(U(folder_)).LastBackupTime().empty());
  driver_.Quit();
}

TEST_F(JourneyTest, HotKeyWhileHiddenAsksAndIsIgnoredWhileTheJobIsUp) {
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  HWND main = driver_.MainWindow();
  ProgramDriver::Click(main, 1003);  // Minimize: only the tray icon is left
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 5000));
  PostMessageW(main, WM_HOTKEY, 1074, 0);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Backup")) != nullptr; }, 10000));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(IsWindowVisible(driver_.BackUpPage()) || !IsWindowVisible(GetDlgItem(driver_.PageBox(), 1014)));
  EXPECT_EQ(ProgramDriver::Text(question, 23362), L"Start backup now ?");
  ProgramDriver::Click(question, 1045);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
  // The job holds the page until Close: a second hotkey asks nothing.
  PostMessageW(main, WM_HOTKEY, 1074, 0);
  Sleep(1500);
  EXPECT_EQ(driver_.FindTopLevel(L"File Backup"), nullptr);
  CloseFinishedJob();
  ExpectStoreMatchesSource();
  driver_.Quit();
}

// Starts a backup with the hotkey and confirms it.
void StartWithHotKey(ProgramDriver& driver) {
  PostMessageW(driver.MainWindow(), WM_HOTKEY, 1074, 0);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver.FindTopLevel(L"File Backup")) != nullptr; }, 10000));
  ProgramDriver::Click(question, 1045);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
}

TEST_F(JourneyTest, CompressedChangedOnlyBackupCopiesOnlyWhatChanged) {
  StoreSetting(u"CompressFile", u"1");
  StoreSetting(u"BackupStatus", u"1");
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  StartWithHotKey(driver_);
  CloseFinishedJob();
  EXPECT_EQ(finished_, L"6 Files");
  // Two files change; a write time a minute later tells them apart for sure.
  for (const wchar_t* name : {L"\\plain.txt", L"\\nested\\notes.md"}) {
    const std::wstring path = source_ + name;
    ASSERT_TRUE(WriteFileBytes(path, "changed since the last backup"));
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER later{{now.dwLowDateTime, now.dwHighDateTime}};
    later.QuadPart += 60ull * 10000000ull;
    now = {later.LowPart, later.HighPart};
    SetFileTime(file, nullptr, nullptr, &now);
    CloseHandle(file);
  }
  StartWithHotKey(driver_);
  CloseFinishedJob();
  EXPECT_EQ(finished_, L"2 Files");
  ExpectStoreMatchesSource();
  driver_.Quit();
}

TEST_F(JourneyTest, RestoreOfTickedStoreItemsBringsDeletedFilesBack) {
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  StartWithHotKey(driver_);
  CloseFinishedJob();
  struct Original {
    std::string bytes;
    WIN32_FILE_ATTRIBUTE_DATA data;
  };
  std::vector<Original> originals;
  for (const std::wstring& file : files_) {
    const std::wstring path = source_ + file;
    Original original{ReadFileBytes(path), {}};
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &original.data));
    originals.push_back(original);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(DeleteFileW(path.c_str()));
  }
  // The person ticks the store's partition in the right tree with the mouse.
  HWND tree = GetDlgItem(driver_.BackUpPage(), 1113);
  HTREEITEM root = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        root = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        return root != nullptr;
      },
      10000));
  const auto checkState = [&] {
    return SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(root), TVIS_STATEIMAGEMASK);
  };
  const LRESULT before = checkState();
  ASSERT_TRUE(driver_.ClickCheckBox(tree, root));
  ASSERT_TRUE(WaitFor([&] { return checkState() != before; }, 5000));
  ProgramDriver::Click(driver_.PageBox(), 1015);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Restore")) != nullptr; }, 10000));
  EXPECT_EQ(ProgramDriver::Text(question, 23362), L"Restore the selected files?");
  ProgramDriver::Click(question, 1045);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
  CloseFinishedJob();
  for (size_t i = 0; i < files_.size(); ++i) {
    const std::wstring path = source_ + files_[i];
    EXPECT_TRUE(ReadFileBytes(path) == originals[i].bytes)
        << "differs: " << std::string(path.begin(), path.end());
    WIN32_FILE_ATTRIBUTE_DATA back{};
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &back));
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    EXPECT_EQ(back.dwFileAttributes & kept, originals[i].data.dwFileAttributes & kept);
    EXPECT_EQ(CompareFileTime(&back.ftLastWriteTime, &originals[i].data.ftLastWriteTime), 0);
  }
  driver_.Quit();
}

TEST_F(JourneyTest, ATickedPreviousVersionIsRestoredToItsPlace) {
  // The store keeps one previous version of plain.txt, plain, in its stamp
  // folder below the hidden system versions folder; the person has deleted
  // the file since.
  const std::wstring versions = L"R:\\QTRPMB\\~versions";
  std::wstring folder = versions + L"\\2026-12-09 193800\\" + source_.substr(0, 1) + source_.substr(2);
  for (size_t at = 3; at != std::wstring::npos; at = folder.find(L'\\', at + 1))
    CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::string version = "plain.txt as it was before the last backup";
  ASSERT_TRUE(WriteFileBytes(folder + L"\\plain.txt", version));
  ASSERT_TRUE(SetFileAttributesW(versions.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  const std::string notes = ReadFileBytes(source_ + L"\\nested\\notes.md");
  ASSERT_TRUE(DeleteFileW((source_ + L"\\plain.txt").c_str()));

  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  ProgramDriver::Click(driver_.PageBox(), 1004);  // the File Backup page
  HWND tree = GetDlgItem(driver_.BackUpPage(), 1113);
  const auto child = [&](HTREEITEM parent) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, parent == nullptr ? TVGN_ROOT : TVGN_CHILD,
                     reinterpret_cast<LPARAM>(parent)));
  };
  // The person opens the partition and its store (the tree shows them
  // afresh after a job); the store's items are read back.
  HTREEITEM store = nullptr, entry = nullptr;
  std::vector<std::wstring> shown;
  const auto openStore = [&] {
    HTREEITEM root = nullptr;
    WaitFor([&] { return (root = child(nullptr)) != nullptr && IsWindowVisible(tree); }, 10000);
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    store = root != nullptr ? child(root) : nullptr;
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(store));
    entry = nullptr;
    shown.clear();
    for (HTREEITEM item = store != nullptr ? child(store) : nullptr; item != nullptr;
         item = reinterpret_cast<HTREEITEM>(
             SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
      shown.push_back(driver_.ItemText(tree, item));
      if (shown.back() == L"Previous versions, 9 Dec 2026 19:38:00") entry = item;
    }
  };
  openStore();
  ASSERT_NE(store, nullptr);
  // The store holds nothing else yet: no drive folder, no plain "~versions".
  EXPECT_EQ(shown, std::vector<std::wstring>{L"Previous versions, 9 Dec 2026 19:38:00"});
  ASSERT_NE(entry, nullptr);
  ASSERT_TRUE(driver_.ClickCheckBox(tree, entry));
  ASSERT_TRUE(WaitFor(
      [&] {
        return SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(entry), TVIS_STATEIMAGEMASK) ==
               INDEXTOSTATEIMAGEMASK(3);
      },
      5000));
  Sleep(300);
  test::SaveJourneyShot(L"previous-version-ticked");
  ProgramDriver::Click(driver_.PageBox(), 1015);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Restore")) != nullptr; }, 10000));
  ProgramDriver::Click(question, 1045);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
  CloseFinishedJob();
  EXPECT_EQ(ReadFileBytes(source_ + L"\\plain.txt"), version);
  EXPECT_TRUE(ReadFileBytes(source_ + L"\\nested\\notes.md") == notes);

  // The store ticked whole brings back what it holds now, not its versions.
  ASSERT_TRUE(DeleteFileW((source_ + L"\\plain.txt").c_str()));
  ProgramDriver::Click(driver_.PageBox(), 1004);
  openStore();
  ASSERT_NE(entry, nullptr);
  const auto state = [&](HTREEITEM item) {
    return SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK) >> 12;
  };
  for (int click = 0; click < 2 && state(store) != 3; ++click) {
    const LRESULT before = state(store);
    ASSERT_TRUE(driver_.ClickCheckBox(tree, store));
    ASSERT_TRUE(WaitFor([&] { return state(store) != before; }, 5000));
  }
  ASSERT_EQ(state(store), 3);
  EXPECT_EQ(state(entry), 1);
  ProgramDriver::Click(driver_.PageBox(), 1015);
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Restore")) != nullptr; }, 10000));
  ProgramDriver::Click(question, 1045);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
  CloseFinishedJob();
  EXPECT_EQ(ReadFileBytes(source_ + L"\\plain.txt"), "<missing>");
  driver_.Quit();
}

// Every file of the store with its bytes, read as a person's tools would.
void StoreSnapshot(const std::wstring& folder, std::vector<std::pair<std::wstring, std::string>>* files) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      StoreSnapshot(folder + L"\\" + name, files);
    } else {
      files->emplace_back(folder + L"\\" + name, ReadFileBytes(folder + L"\\" + name));
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

TEST_F(JourneyTest, VerifyBackupFindsAFlippedByteAndLeavesTheStoreAsItWas) {
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  StartWithHotKey(driver_);
  CloseFinishedJob();

  // One byte of a stored container goes bad; its last-write time stays.
  const std::wstring bad = Stored(L"\\nested\\notes.md");
  {
    HANDLE file = CreateFileW(bad.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME written{};
    GetFileTime(file, nullptr, nullptr, &written);
    char byte = 0;
    DWORD done = 0;
    SetFilePointer(file, 40, nullptr, FILE_BEGIN);
    ReadFile(file, &byte, 1, &done, nullptr);
    byte = static_cast<char>(byte ^ 0x5A);
    SetFilePointer(file, 40, nullptr, FILE_BEGIN);
    WriteFile(file, &byte, 1, &done, nullptr);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
  }
  std::vector<std::pair<std::wstring, std::string>> before, after;
  StoreSnapshot(L"R:\\QTRPMB", &before);
  ASSERT_FALSE(before.empty());

  // The person presses "Verify backup" beside the target list.
  HWND page = driver_.BackUpPage();
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(page, 1600)));
  EXPECT_EQ(ProgramDriver::Text(page, 1600), L"Verify backup");
  const size_t said = messages_.size();
  answered_.clear();
  ProgramDriver::Click(page, 1600);
  HWND job = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        job = nullptr;
        EnumChildWindows(
            driver_.PageBox(),
            [](HWND child, LPARAM data) -> BOOL {
              if (GetDlgItem(child, 1601) == nullptr) return TRUE;
              *reinterpret_cast<HWND*>(data) = child;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&job));
        // The summary comes just after Close appears, in the same step of the window's thread.
        return job != nullptr && IsWindowVisible(GetDlgItem(job, 1083)) && IsWindowVisible(GetDlgItem(job, 1601));
      },
      60000));
  const std::wstring summary = ProgramDriver::Text(job, 1601);
  std::printf("verify: %ls\n", summary.c_str());
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(job, 1601)));
  EXPECT_EQ(summary, L"6 stored files: 5 sound, 1 damaged, 0 not checked; 0 missing. The backup is damaged.");
  EXPECT_EQ(ProgramDriver::Text(job, 1049), L"Verify the backup on USB HDD");
  HWND list = GetDlgItem(job, 1090);
  ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
  wchar_t line[1024] = {};
  ASSERT_LT(SendMessageW(list, LB_GETTEXTLEN, 0, 0), 1024);
  SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
  std::printf("failure: %ls\n", line);
  EXPECT_EQ(std::wstring(line).substr(0, bad.size() + 1), bad + L";");
  CloseFinishedJob();
  EXPECT_EQ(messages_.size(), said);  // a verify asks nothing and says nothing in a message

  // Only the index learnt of the damage, for the next backup to store the file anew.
  StoreSnapshot(L"R:\\QTRPMB", &after);
  const auto stored = [](std::vector<std::pair<std::wstring, std::string>> files) {
    std::erase_if(files, [](const auto& file) { return file.first.starts_with(L"R:\\QTRPMB\\~index\\"); });
    return files;
  };
  EXPECT_TRUE(stored(after) == stored(before)) << "the verify changed a stored file";
  driver_.Quit();
}

TEST_F(JourneyTest, AStoredFileEditedOutsideIsRestoredWithAWordAndVerifyCallsTheBackupDamaged) {
  StoreSetting(u"CompressFile", u"0");
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  StartWithHotKey(driver_);
  CloseFinishedJob();

  // Someone edits a stored copy on the disk with a text editor: new bytes, a new time.
  const std::wstring edited = L"R:\\QTRPMB\\" + source_.substr(0, 1) + source_.substr(2) + L"\\plain.txt";
  ASSERT_TRUE(WriteFileBytes(edited, "edited on the backup disk"));
  for (const std::wstring& file : files_) {
    SetFileAttributesW((source_ + file).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW((source_ + file).c_str());
  }
  StartRestore();
  messages_.clear();
  CloseFinishedJob();
  EXPECT_EQ(ReadFileBytes(source_ + L"\\plain.txt"), "edited on the backup disk");
  ASSERT_FALSE(messages_.empty());
  EXPECT_NE(messages_.back().find(L"1 restored files had been changed since they were backed up"),
            std::wstring::npos)
      << std::string(messages_.back().begin(), messages_.back().end());

  ProgramDriver::Click(driver_.BackUpPage(), 1600);
  HWND job = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        job = PageHolding(1601);
        return job != nullptr && IsWindowVisible(GetDlgItem(job, 1083)) && IsWindowVisible(GetDlgItem(job, 1601));
      },
      60000));
  const std::wstring summary = ProgramDriver::Text(job, 1601);
  std::printf("verify: %ls\n", summary.c_str());
  EXPECT_EQ(summary, L"6 stored files: 5 sound, 1 damaged, 0 not checked; 0 missing. The backup is damaged.");
  CloseFinishedJob();
  driver_.Quit();
}

// The trashed files (Wine's bin, $XDG_DATA_HOME/Trash) holding bytes, by
// their paths in the trash; empty when the tests have no trash of their own.
std::vector<std::wstring> TrashedWith(const std::string& bytes) {
  std::vector<std::wstring> found;
  wchar_t home[1024] = {};
  if (GetEnvironmentVariableW(L"XDG_DATA_HOME", home, 1024) == 0 || home[0] != L'/') return found;
  std::wstring files = L"\\\\?\\unix" + std::wstring(home) + L"/Trash/files";
  for (wchar_t& c : files)
    if (c == L'/') c = L'\\';
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((files + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        ReadFileBytes(files + L"\\" + data.cFileName) == bytes)
      found.push_back(files + L"\\" + data.cFileName);
  while (FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

// Backs up, edits one file as the person would, and restores the folder in
// the language of table ("0x0409", "0x0804"), whose restore question and
// message titles are given; saves the completion message as shot.
class RestoreSetAsideJourneyTest : public JourneyTest {
 protected:
  void RestoreOverAChangedFile(std::u16string_view table, const wchar_t* restoreTitle,
                               const wchar_t* tipsTitle, const wchar_t* shot, const std::wstring& said) {
    wchar_t home[8] = {};
    if (GetEnvironmentVariableW(L"XDG_DATA_HOME", home, 8) == 0)
      GTEST_SKIP() << "XDG_DATA_HOME is not set: run through scripts/wine-env with QTR_WINE_TESTS=1";
    ASSERT_TRUE(driver_.Start());
    ChooseTarget();
    StartWithHotKey(driver_);
    CloseFinishedJob();
    driver_.Quit();
    const std::string backedUp = ReadFileBytes(source_ + L"\\plain.txt");
    // The person goes on working on one file; the others stay as they were backed up.
    const std::string edited = "the person's work after the backup, " + std::to_string(GetTickCount());
    ASSERT_TRUE(WriteFileBytes(source_ + L"\\plain.txt", edited));

    StoreSetting(u"Language", table);
    restoreTitle_ = restoreTitle;
    tipsTitle_ = tipsTitle;
    ASSERT_TRUE(driver_.Start());
    ChooseTarget();
    StartRestore();
    ASSERT_TRUE(WaitFor([&] { return driver_.FindTopLevel(tipsTitle_) != nullptr; }, 60000));
    Sleep(300);
    test::SaveJourneyShot(shot);
    messages_.clear();
    CloseFinishedJob();
    EXPECT_EQ(ReadFileBytes(source_ + L"\\plain.txt"), backedUp);
    const std::vector<std::wstring> trashed = TrashedWith(edited);
    EXPECT_EQ(trashed.size(), 1u) << "the changed file is not in the Recycle Bin";
    EXPECT_FALSE(messages_.empty());
    EXPECT_TRUE(!messages_.empty() && messages_.back().find(said) != std::wstring::npos)
        << (messages_.empty() ? std::string()
                              : std::string(messages_.back().begin(), messages_.back().end()));
    for (const std::wstring& path : trashed) {
      DeleteFileW(path.c_str());
      const size_t files = path.rfind(L"\\files\\");
      DeleteFileW((path.substr(0, files) + L"\\info\\" + path.substr(files + 7) + L".trashinfo").c_str());
    }
    driver_.Quit();
  }
};

TEST_F(RestoreSetAsideJourneyTest, ARestoreOverAFileChangedSinceTheBackupPutsTheChangedOneInTheRecycleBin) {
  RestoreOverAChangedFile(
      u"0x0409", L"File Restore", L"Tips", L"restore-set-aside",
      L"1 files on the PC that differed from their backup were moved to the Recycle Bin before "
      L"the restore replaced them.");
}

TEST_F(RestoreSetAsideJourneyTest, TheCompletionSaysSoInChinese) {
  RestoreOverAChangedFile(
      u"0x0804", L"\u6587\u4ef6\u8fd8\u539f", L"\u63d0\u793a", L"restore-set-aside-zh",
      L"\u6709 1 \u4e2a\u4e0e\u5907\u4efd\u4e0d\u540c\u7684\u7535\u8111\u6587\u4ef6"
      L"\u5728\u88ab\u8fd8\u539f\u66ff\u6362\u4e4b\u524d\u5df2\u79fb\u5230\u56de\u6536\u7ad9");
}

// Two simulated disks without volumes, each geometry "cylinders 16 63 512";
// the source can be pulled through its plug file.
class QuickBackupJourneyTest : public JourneyTest {
 protected:
  static constexpr uint64_t kCylinder = 16ull * 63 * 512;

  void Disks(int sourceCylinders, int targetCylinders) {
    // Only the disks are chosen: no folder of the computer.
    ASSERT_TRUE(SelectionFiles(U(folder_))
                    .ApplyCheckChange(U(source_), CheckState::kUnchecked,
                                      [](const std::u16string&) { return std::vector<std::u16string>{}; }));
    const auto disk = [](int number, const char* name, int cylinders) {
      const std::string n = std::to_string(number);
      return "[disk]\npath = \\\\?\\usbstor#disk&ven_wdc&prod_" + std::string(name) + "#" + n +
             "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}\nimage = " + name +
             ".img\nvendor = WDC\nproduct = " + name + "\nnumber = " + n +
             "\ngeometry = " + std::to_string(cylinders) + " 16 63 512\nplug = " + name + ".plug\n";
    };
    ASSERT_TRUE(WriteFileBytes(
        folder_ + L"simulated-disks.txt",
        "drive = C fixed 0\n" + disk(1, "source", sourceCylinders) + disk(2, "target", targetCylinders)));
  }
  // Bytes that differ from sector to sector, none of them a partition table.
  void FillSource(uint64_t bytes) {
    std::string image(bytes, '\0');
    for (uint64_t i = 512; i < bytes; ++i) image[i] = static_cast<char>((i / 512 * 31 + i) % 253 + 1);
    ASSERT_TRUE(WriteFileBytes(folder_ + L"source.img", image));
  }
  // The whole-disk item of the device number at the root level of a tree.
  HTREEITEM DiskItem(HWND tree, int number) const {
    for (auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
         item != nullptr; item = reinterpret_cast<HTREEITEM>(
                              SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
      if (driver_.ItemData(tree, item) == number + 3) return item;
    return nullptr;
  }
  // Ticks disk 1 in the left tree and disk 2 in the right one with the mouse.
  void TickDisks() {
    ASSERT_TRUE(WaitFor([&] { return driver_.BackUpPage() != nullptr; }, 10000));
    HWND page = driver_.BackUpPage();
    for (const auto& [id, number] : {std::pair{1111, 1}, std::pair{1113, 2}}) {
      HWND tree = GetDlgItem(page, id);
      HTREEITEM item = nullptr;
      ASSERT_TRUE(WaitFor([&] { return (item = DiskItem(tree, number)) != nullptr; }, 15000)) << id;
      const auto state = [&] {
        return SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
      };
      const LRESULT before = state();
      ASSERT_TRUE(driver_.ClickCheckBox(tree, item));
      ASSERT_TRUE(WaitFor([&] { return state() != before; }, 5000)) << id;
    }
  }
  // Presses Backup with the disks ticked; returns the question.
  HWND AskForDiskCopy() {
    ProgramDriver::Click(driver_.PageBox(), 1014);
    HWND question = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Backup")) != nullptr; }, 10000));
    return question;
  }
  // Ticks the disks, presses Backup and confirms.
  void StartDiskCopy() {
    TickDisks();
    HWND question = AskForDiskCopy();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(ProgramDriver::Text(question, 23362),
              L"Copy the whole disk WDC source #1 onto the disk WDC target #2? Everything on WDC target #2 will "
              L"be overwritten.");
    ProgramDriver::Click(question, 1045);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
  }
};

TEST_F(QuickBackupJourneyTest, TheTargetImageEqualsTheSourceOverTheCopiedCylinders) {
  Disks(8, 10);
  FillSource(8 * kCylinder);
  ASSERT_TRUE(driver_.Start());
  StartDiskCopy();
  ASSERT_TRUE(WaitFor([&] { return JobWindow() != nullptr; }, 10000));
  EXPECT_EQ(ProgramDriver::Text(JobWindow(), 1049), L"Disk copy :from Disk1  to Disk2");
  CloseFinishedJob();
  for (const std::wstring& said : messages_) ADD_FAILURE() << std::string(said.begin(), said.end());
  const std::string source = ReadFileBytes(folder_ + L"source.img");
  const std::string target = ReadFileBytes(folder_ + L"target.img");
  ASSERT_EQ(source.size(), 8 * kCylinder);
  ASSERT_GE(target.size(), source.size());
  EXPECT_TRUE(target.compare(0, source.size(), source) == 0);
  driver_.Quit();
}

TEST_F(QuickBackupJourneyTest, PullingTheSourceDiskMidCopyEndsWithTheRemovalReport) {
  // Large enough (sparse) that the copy is still running when the disk goes.
  Disks(4000, 4000);
  FillSource(kCylinder);
  ASSERT_TRUE(driver_.Start());
  StartDiskCopy();
  ASSERT_TRUE(WaitFor([&] { return JobWindow() != nullptr; }, 10000));
  // Pulled once the copy is under way.
  ASSERT_TRUE(WaitFor(
      [&] {
        const std::wstring copied = ProgramDriver::Text(JobWindow(), 1056);
        return !copied.empty() && copied != L"0KB";
      },
      10000));
  ASSERT_TRUE(WriteFileBytes(folder_ + L"source.plug", "out\n"));
  // The failed read of the pulled disk is told in the system's plain box first.
  HWND failure = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (failure = driver_.FindTopLevel(L"Error")) != nullptr; }, 20000));
  std::printf("read failure: %ls\n", ProgramDriver::Text(failure, 0xFFFF).c_str());
  PostMessageW(failure, WM_COMMAND, IDOK, 0);
  CloseFinishedJob();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], L"the sourceDisk remove");
  driver_.Quit();
}

TEST_F(JourneyTest, ScheduleStartsOnceInItsMinute) {
  ScheduleWednesdayAt0905();
  // A Wednesday, 30 seconds before the minute, six seconds to each real one.
  ASSERT_TRUE(WriteFileBytes(folder_ + L"simulated-clock.txt", "start = 2026-03-04 09:04:30\nspeed = 6\n"));
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Backup")) != nullptr; }, 20000));
  EXPECT_EQ(ProgramDriver::Text(question, 23362), L"Start backup now ?");
  ProgramDriver::Click(question, 1045);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
  CloseFinishedJob();
  ExpectStoreMatchesSource();
  // The rest of the minute, and the next one, start nothing more.
  EXPECT_FALSE(WaitFor([&] { return driver_.FindTopLevel(L"File Backup") != nullptr; }, 12000));
  driver_.Quit();
}

TEST_F(JourneyTest, AScheduledBackupWhileHiddenIsToldInABalloonAndKeptInTheHistory) {
  ScheduleWednesdayAt0905();
  // Time enough to choose the target and hide the window before the minute.
  ASSERT_TRUE(WriteFileBytes(folder_ + L"simulated-clock.txt", "start = 2026-03-04 09:04:00\nspeed = 3\n"));
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  HWND main = driver_.MainWindow();
  ProgramDriver::Click(main, 1003);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 5000));
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Backup")) != nullptr; }, 30000));
  ProgramDriver::Click(question, 1045);
  // The main window's hidden copy of the last balloon's text.
  std::wstring said;
  ASSERT_TRUE(WaitFor([&] { return !(said = ProgramDriver::Text(main, 1009)).empty(); }, 60000));
  EXPECT_EQ(said, L"Backup to R: finished: " + std::to_wstring(files_.size()) + L" files");
  EXPECT_FALSE(IsWindowVisible(main));
  PostMessageW(main, WM_COMMAND, 32772, 0);  // the tray menu's Display, to close the job
  CloseFinishedJob();
  const std::string history = ReadFileBytes(folder_ + L"jobhistory.xml");
  EXPECT_NE(history.find("<Trigger>schedule</Trigger>"), std::string::npos) << history;
  EXPECT_NE(history.find("<Started>2026-03-04 09:05:"), std::string::npos) << history;
  EXPECT_NE(history.find("<Ending>finished</Ending>"), std::string::npos) << history;
  driver_.Quit();
}

// Two jobs nobody watched: a scheduled one with a file another program holds
// (this process, without sharing), then a hotkey one whose disk is pulled.
TEST_F(JourneyTest, AFailedFileIsToldInABalloonThatOpensItsJobAndAPulledDiskIsKeptInTheHistory) {
  ScheduleWednesdayAt0905();
  // The disk can be pulled: its plug file says it is in.
  ASSERT_TRUE(WriteFileBytes(folder_ + L"simulated-disks.txt", std::string(kJourneyDisks) + "plug = journey.plug\n"));
  ASSERT_TRUE(WriteFileBytes(folder_ + L"journey.plug", "in\n"));
  ASSERT_TRUE(WriteFileBytes(folder_ + L"simulated-clock.txt", "start = 2026-03-04 09:04:00\nspeed = 3\n"));
  UniqueHandle held(CreateFileW((source_ + L"\\nested\\notes.md").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  HWND main = driver_.MainWindow();
  ProgramDriver::Click(main, 1003);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 5000));
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Backup")) != nullptr; }, 30000));
  ProgramDriver::Click(question, 1045);
  std::wstring said;
  ASSERT_TRUE(WaitFor([&] { return !(said = ProgramDriver::Text(main, 1009)).empty(); }, 60000));
  EXPECT_EQ(said, L"Backup to R: 1 file failed");
  Sleep(3000);  // the shell draws a balloon a moment after it is given
  test::SaveJourneyShot(L"history-balloon-one-failed");
  held.Reset();

  // The balloon clicked, as the shell tells the icon's window (wParam the icon, lParam the event).
  PostMessageW(main, CTrayIcon::kCallbackMessage, 0, NIN_BALLOONUSERCLICK);
  HWND history = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (history = driver_.FindTopLevel(L"History")) != nullptr; }, 10000));
  std::wstring lines;
  EXPECT_TRUE(WaitFor(
      [&] { return (lines = ProgramDriver::Text(history, 1704)).find(L"notes.md") != std::wstring::npos; }, 5000))
      << std::string(lines.begin(), lines.end());
  test::SaveJourneyShot(L"history-opened-from-balloon");
  ProgramDriver::Click(history, 1706);
  ASSERT_TRUE(WaitFor([&] { return driver_.FindTopLevel(L"History") == nullptr; }, 5000));
  PostMessageW(main, WM_COMMAND, 32772, 0);  // the tray menu's Display, to close the job
  CloseFinishedJob();

  // Large enough that the disk goes while the job runs.
  std::string big(64u << 20, '\0');
  uint32_t seed = 12345;
  for (char& byte : big) byte = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  ASSERT_TRUE(WriteFileBytes(source_ + L"\\big.bin", big));
  StartWithHotKey(driver_);
  ASSERT_TRUE(WaitFor([&] { return JobWindow() != nullptr && IsWindowVisible(JobWindow()); }, 10000));
  ASSERT_TRUE(WriteFileBytes(folder_ + L"journey.plug", "out\n"));
  HWND told = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (told = driver_.FindTopLevel(tipsTitle_)) != nullptr; }, 20000));
  EXPECT_EQ(ProgramDriver::Text(told, 23362), L"Backup terminated: Disk has already been removed!");
  ProgramDriver::Click(told, 1045);
  std::vector<JobRecord> records;
  ASSERT_TRUE(WaitFor([&] { return (records = JobHistory(U(folder_)).Load()).size() == 2; }, 10000));
  const std::string file = ReadFileBytes(folder_ + L"jobhistory.xml");
  std::printf("stopped after %llu files, %llu bytes\n", static_cast<unsigned long long>(records[1].files),
              static_cast<unsigned long long>(records[1].bytes));
  EXPECT_EQ(records[0].trigger, JobTrigger::kSchedule) << file;
  EXPECT_EQ(records[0].failedFiles, 1u) << file;
  EXPECT_EQ(records[0].diskName, u"WDC Journey") << "the disk's name as the windows show it";
  EXPECT_EQ(records[1].trigger, JobTrigger::kHotKey) << file;
  EXPECT_EQ(records[1].ending, JobEnding::kTargetRemoved) << file;
  EXPECT_NE(file.find("<Trigger>hotkey</Trigger>"), std::string::npos) << file;
  EXPECT_NE(file.find("<Ending>removed</Ending>"), std::string::npos) << file;
  driver_.Quit();
}

// Quit from the tray while a backup runs: the history still has the job, stopped.
TEST_F(JourneyTest, AJobTheProgramQuitInTheMiddleOfIsKeptInTheHistoryAsStopped) {
  std::string big(64u << 20, '\0');
  uint32_t seed = 54321;
  for (char& byte : big) byte = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  ASSERT_TRUE(WriteFileBytes(source_ + L"\\big.bin", big));
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  StartWithHotKey(driver_);
  ASSERT_TRUE(WaitFor([&] { return JobWindow() != nullptr && IsWindowVisible(JobWindow()); }, 10000));
  driver_.Quit();
  const std::vector<JobRecord> records = JobHistory(U(folder_)).Load();
  ASSERT_EQ(records.size(), 1u) << ReadFileBytes(folder_ + L"jobhistory.xml");
  EXPECT_EQ(records[0].trigger, JobTrigger::kHotKey);
  EXPECT_EQ(records[0].ending, JobEnding::kStoppedByPerson);
}

TEST_F(JourneyTest, EnclosureButtonPressedTwiceAsksThenConfirms) {
  StoreSetting(u"USBHotKey", u"1");
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  SetButton("down\n");
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Backup")) != nullptr; }, 10000));
  EXPECT_EQ(ProgramDriver::Text(question, 23362), L"Start backup now ?");
  SetButton("up\n");
  Sleep(1000);
  EXPECT_TRUE(IsWindow(question));
  SetButton("down\n");
  // The second press confirms, long before a countdown could have.
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
  SetButton("up\n");
  CloseFinishedJob();
  ExpectStoreMatchesSource();
  driver_.Quit();
}

TEST_F(JourneyTest, QuickLaunchAsksOnlyWithMakeSure) {
  StoreSetting(u"MakeSure", u"1");
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  HWND quick = PageHolding(1002);
  ASSERT_NE(quick, nullptr);
  EXPECT_TRUE(IsWindowVisible(quick));  // not the first start: Quick Activate
  ProgramDriver::Click(quick, 1002);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"Tips")) != nullptr; }, 10000));
  EXPECT_EQ(ProgramDriver::Text(question, 23362), L"Start Quick backup ?");
  ProgramDriver::Click(question, 1044);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
  EXPECT_TRUE(IsWindowVisible(quick));

  // The setting is read at the press: now the backup starts at once.
  StoreSetting(u"MakeSure", u"0");
  ProgramDriver::Click(quick, 1002);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(quick); }, 10000));
  CloseFinishedJob(1002);
  ExpectStoreMatchesSource();
  EXPECT_TRUE(IsWindowVisible(quick));
  driver_.Quit();
}

// Picks the language list entry that is (or is not) English on the Setting page.
void PickLanguage(HWND others, bool english) {
  HWND list = GetDlgItem(others, 1363);
  const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t name[64] = {};
    if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) >= 64) continue;
    SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(name));
    if ((std::wstring(name) == L"English") != english) continue;
    SendMessageW(list, CB_SETCURSEL, i, 0);
    PostMessageW(others, WM_COMMAND, MAKEWPARAM(1363, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    return;
  }
  ADD_FAILURE() << "no such language entry";
}

TEST_F(JourneyTest, LanguageChosenOnTheSettingPageChangesEveryPageAndBack) {
  ASSERT_TRUE(driver_.Start());
  HWND box = driver_.PageBox();
  ProgramDriver::Click(box, 1007);
  HWND others = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (others = PageHolding(1363)) != nullptr; }, 5000));
  EXPECT_EQ(ProgramDriver::Text(box, 1006), L"Quick Activate");
  PickLanguage(others, false);
  // The page buttons take their texts one after the other: the last one tells.
  ASSERT_TRUE(WaitFor([&] { return ProgramDriver::Text(box, 1007) == L"\u8bbe\u7f6e"; }, 5000));
  EXPECT_EQ(ProgramDriver::Text(box, 1006), L"\u5feb\u901f\u542f\u52a8");
  EXPECT_NE(ProgramDriver::Text(box, 1004), L"File Backup");
  PickLanguage(others, true);
  ASSERT_TRUE(WaitFor([&] { return ProgramDriver::Text(box, 1007) == L"Setting"; }, 5000));
  EXPECT_EQ(ProgramDriver::Text(box, 1006), L"Quick Activate");
  driver_.Quit();
}

// ---- disks as a real PC shows them ----

// Disk 1 ("Late") comes while the program runs and its volume R: a moment
// after it, linked by the program; disk 2 ("Blank") has no volume, so a
// disk copy may go onto it.
class LateVolumeJourneyTest : public QuickBackupJourneyTest {
 protected:
  void SetUp() override {
    QuickBackupJourneyTest::SetUp();
    drive_.reset();  // R: is the program's to link now
    ASSERT_TRUE(WriteFileBytes(
        folder_ + L"simulated-disks.txt",
        "drive = C fixed 0\n"
        "[disk]\npath = \\\\?\\usbstor#disk&ven_wdc&prod_late#1#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}\n"
        "image = late.img\nvendor = WDC\nproduct = Late\nnumber = 1\ngeometry = 32 16 63 512\n"
        "volume = R r-files\nvolume-delay = 1500\nplug = late.plug\nbutton = journey.button\n"
        "[disk]\npath = \\\\?\\usbstor#disk&ven_wdc&prod_blank#2#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}\n"
        "image = blank.img\nvendor = WDC\nproduct = Blank\nnumber = 2\ngeometry = 40 16 63 512\n"));
    ASSERT_TRUE(WriteFileBytes(folder_ + L"late.plug", "out\n"));
  }
  void TearDown() override {
    driver_.Quit();
    UnlinkDriveLetter(L'r');  // the next test maps R: itself
  }
  // The texts of the computer's drives in the source tree.
  std::vector<std::wstring> LocalDrives() const {
    HWND tree = GetDlgItem(driver_.BackUpPage(), 1111);
    std::vector<std::wstring> texts;
    auto computer = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (auto drive = reinterpret_cast<HTREEITEM>(
             SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(computer)));
         drive != nullptr; drive = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                                           reinterpret_cast<LPARAM>(drive))))
      texts.push_back(driver_.ItemText(tree, drive));
    return texts;
  }
  int TargetEntries(const std::wstring& text) const {
    HWND list = GetDlgItem(driver_.BackUpPage(), 1112);
    int found = 0;
    for (LRESULT i = 0; i < SendMessageW(list, CB_GETCOUNT, 0, 0); ++i) {
      wchar_t entry[64] = {};
      if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) < 64) SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
      found += text == entry;
    }
    return found;
  }
};

TEST_F(LateVolumeJourneyTest, AVolumeAfterItsDiskTakesABackupThenADiskCopyWaitsForAPerson) {
  ASSERT_TRUE(driver_.Start());
  ASSERT_TRUE(WaitFor([&] { return driver_.BackUpPage() != nullptr; }, 10000));
  ASSERT_TRUE(WriteFileBytes(folder_ + L"late.plug", "in\n"));
  HWND offer = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (offer = driver_.FindTopLevel(L"Password Setting")) != nullptr; }, 15000));
  ProgramDriver::Click(offer, 1129);
  ASSERT_TRUE(WaitFor([&] { return TargetEntries(L"R:") > 0; }, 15000)) << "the letter that came later";
  EXPECT_EQ(TargetEntries(L"R:"), 1);
  for (const std::wstring& drive : LocalDrives())
    EXPECT_EQ(drive.find(L"R:"), std::wstring::npos) << "a USB disk's partition shown as a local drive";
  ChooseTarget();
  ProgramDriver::Click(driver_.PageBox(), 1014);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Backup")) != nullptr; }, 10000));
  ProgramDriver::Click(question, 1045);
  CloseFinishedJob();
  ExpectStoreMatchesSource();
  driver_.Quit();

  // The disks alone are chosen now, onto a target whose bytes are known.
  ASSERT_TRUE(SelectionFiles(U(folder_))
                  .ApplyCheckChange(U(source_), CheckState::kUnchecked,
                                    [](const std::u16string&) { return std::vector<std::u16string>{}; }));
  std::string blank = ReadFileBytes(folder_ + L"blank.img");
  ASSERT_EQ(blank.size(), 40 * kCylinder);
  for (size_t i = 0; i < 40 * kCylinder; i += 4093) blank[i] = static_cast<char>(i % 251 + 1);
  ASSERT_TRUE(WriteFileBytes(folder_ + L"blank.img", blank));
  StoreSetting(u"USBHotKey", u"1");
  ASSERT_TRUE(driver_.Start());
  ShowBackUpPage();
  TickDisks();
  question = AskForDiskCopy();
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(ProgramDriver::Text(question, 23362),
            L"Copy the whole disk WDC Late #1 onto the disk WDC Blank #2? Everything on WDC Blank #2 will be "
            L"overwritten.");
  // Two presses of the enclosure button and forty seconds: nobody said yes.
  for (const char* state : {"down\n", "up\n", "down\n", "up\n"}) {
    SetButton(state);
    Sleep(1000);
  }
  EXPECT_FALSE(WaitFor([&] { return !IsWindow(question) || JobWindow() != nullptr; }, 40000));
  ProgramDriver::Click(question, 1044);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
  Sleep(1000);
  EXPECT_EQ(JobWindow(), nullptr);
  EXPECT_TRUE(ReadFileBytes(folder_ + L"blank.img") == blank) << "the target disk changed";
  driver_.Quit();
}

// The journey disk is locked with a password before the program starts.
class LockedDiskJourneyTest : public JourneyTest {
 protected:
  static constexpr uint64_t kSectors = 32ull * 255 * 63;
  void SetUp() override {
    JourneyTest::SetUp();
    HANDLE image = CreateFileW((folder_ + L"journey.img").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(image, INVALID_HANDLE_VALUE);
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(kSectors * 512);
    SetFilePointerEx(image, at, nullptr, FILE_BEGIN);
    SetEndOfFile(image);
    // The record: set, eleven characters, the marker, a zero, the password.
    std::string record("\1\0\0\0\13\0\0\0password\0qtr-journey", 28);
    record.resize(512, '\0');
    at.QuadPart = static_cast<LONGLONG>((kSectors - 2) * 512);
    SetFilePointerEx(image, at, nullptr, FILE_BEGIN);
    DWORD written = 0;
    WriteFile(image, record.data(), 512, &written, nullptr);
    CloseHandle(image);
    ASSERT_EQ(written, 512u);
    StoreSetting(u"USBHotKey", u"1");
  }
  HWND ChooseLockedTarget() {
    ShowBackUpPage();
    EXPECT_TRUE(WaitFor([&] { return ProgramDriver::Choose(driver_.BackUpPage(), 1112, L"R:"); }, 15000));
    HWND prompt = nullptr;
    EXPECT_TRUE(
        WaitFor([&] { return (prompt = driver_.FindTopLevel(L"Password Authentication")) != nullptr; }, 10000));
    return prompt;
  }
  LRESULT ChosenTarget() const {
    return SendMessageW(GetDlgItem(driver_.BackUpPage(), 1112), CB_GETCURSEL, 0, 0);
  }
};

TEST_F(LockedDiskJourneyTest, NothingStartsOntoALockedDiskWhileItsPasswordIsAsked) {
  ASSERT_TRUE(driver_.Start());
  HWND prompt = ChooseLockedTarget();
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(ChosenTarget(), CB_ERR) << "no target until the password was accepted";
  for (const char* state : {"down\n", "up\n", "down\n", "up\n"}) {
    SetButton(state);
    Sleep(1500);
  }
  EXPECT_EQ(driver_.FindTopLevel(L"File Backup"), nullptr) << "a start asked over the prompt";
  EXPECT_EQ(GetFileAttributesW(L"R:\\QTRPMB"), INVALID_FILE_ATTRIBUTES) << "written without the password";
  // The partition chosen again while its prompt is open opens no second one.
  ASSERT_TRUE(ProgramDriver::Choose(driver_.BackUpPage(), 1112, L"R:"));
  Sleep(1500);
  EXPECT_EQ(driver_.CountTopLevel(L"Password Authentication"), 1);

  SetDlgItemTextW(prompt, 1133, L"qtr-journey");
  ProgramDriver::Click(prompt, 1135);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(prompt); }, 10000));
  ASSERT_TRUE(WaitFor([&] { return ChosenTarget() != CB_ERR; }, 5000));
  Sleep(500);
  ProgramDriver::Click(driver_.PageBox(), 1014);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(L"File Backup")) != nullptr; }, 10000));
  ProgramDriver::Click(question, 1045);
  CloseFinishedJob();
  ExpectStoreMatchesSource();
  driver_.Quit();
}

TEST_F(LockedDiskJourneyTest, QuittingWithThePromptOpenEndsThePromptAndTheProgram) {
  ASSERT_TRUE(driver_.Start());
  ASSERT_NE(ChooseLockedTarget(), nullptr);
  // Quit from the tray menu, which stays at hand while the prompt holds the window.
  PostMessageW(driver_.MainWindow(), WM_COMMAND, 32775, 0);
  EXPECT_TRUE(driver_.Ended(15000)) << "the process is still running";
}

// ---- encrypted backups ----

// The control with that id anywhere below root (the Setting page's controls
// sit on a page inside the page).
HWND FindControl(HWND root, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      root,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) != s->id) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class EncryptionJourneyTest : public JourneyTest {
 protected:
  static constexpr char kMarker[] = "QTR-PLAINTEXT-MARKER-5f3a";

  // Every source file carries the marker, so a plain byte of any of them on the target would show.
  void MarkSources() {
    for (size_t i = 0; i < files_.size(); ++i) {
      const std::wstring path = source_ + files_[i];
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      std::string bytes;
      for (size_t n = 0; n < 40 * (i + 1); ++n) bytes += std::string(kMarker) + " line " + std::to_string(n) + "\n";
      ASSERT_TRUE(WriteFileBytes(path, bytes));
    }
    SetFileAttributesW((source_ + L"\\read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((source_ + L"\\hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
  }

  // "Set password" on the backup-settings page, both entries, OK, and the result message answered.
  void SetBackupPassword(const wchar_t* password) {
    ProgramDriver::Click(driver_.PageBox(), 1007);  // the Setting page
    HWND button = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (button = FindControl(driver_.PageBox(), 1318)) != nullptr; }, 5000));
    PostMessageW(button, BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = driver_.FindTopLevel(L"Password Setting")) != nullptr; }, 10000));
    SetDlgItemTextW(dialog, 1126, password);
    SetDlgItemTextW(dialog, 1127, password);
    ProgramDriver::Click(dialog, 1128);
    HWND told = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (told = driver_.FindTopLevel(L"Tips")) != nullptr; }, 10000));
    EXPECT_EQ(ProgramDriver::Text(told, 23362), L"Set password  succeeded!");
    ProgramDriver::Click(told, 1045);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
  }

  void DeleteSources() {
    for (const std::wstring& file : files_) {
      const std::wstring path = source_ + file;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path.c_str());
    }
  }


  // Every byte of every file under the target, as a person's tools would read them.
  size_t TargetBytesHoldingTheMarker(size_t* files) const {
    std::vector<std::pair<std::wstring, std::string>> all;
    StoreSnapshot(W(target_.Path()), &all);
    *files = all.size();
    size_t found = 0;
    for (const auto& [path, bytes] : all)
      if (bytes.find("PLAINTEXT-MARKER") != std::string::npos) {
        std::printf("plain text in %ls\n", path.c_str());
        ++found;
      }
    return found;
  }
  // Marks the sources (kept in *originals), starts the program with the
  // target chosen, sets the password on the backup-settings page and ticks
  // Encryption. Stored plain, a file would show the marker as it is.
  void StartWithEncryptionOn(std::vector<std::string>* originals) {
    StoreSetting(u"CompressFile", u"0");
    MarkSources();
    for (const std::wstring& file : files_) originals->push_back(ReadFileBytes(source_ + file));
    ASSERT_TRUE(driver_.Start());
    ChooseTarget();
    SetBackupPassword(L"journey-pw-1");
    HWND encryption = FindControl(driver_.PageBox(), 1316);
    ASSERT_NE(encryption, nullptr);
    PostMessageW(encryption, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(encryption, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
  }
};

TEST_F(EncryptionJourneyTest, EncryptedBackupRestoreAWrongPasswordAndAnUnattendedStartAfterARestart) {
  std::vector<std::string> originals;
  ASSERT_NO_FATAL_FAILURE(StartWithEncryptionOn(&originals));

  const std::string kept = ReadFileBytes(folder_ + L"backuppassword.bin");
  EXPECT_NE(kept, "<missing>");
  EXPECT_EQ(kept.find("journey-pw-1"), std::string::npos);

  ProgramDriver::Click(driver_.PageBox(), 1004);
  StartWithHotKey(driver_);
  CloseFinishedJob();
  EXPECT_EQ(finished_, L"6 Files");
  size_t stored = 0;
  EXPECT_EQ(TargetBytesHoldingTheMarker(&stored), 0u);
  EXPECT_GE(stored, files_.size() + 1) << "the six files and the store's key check file";
  const std::wstring plainName = Stored(L"\\plain.txt");
  EXPECT_EQ(GetFileAttributesW(plainName.substr(0, plainName.size() - 4).c_str()), INVALID_FILE_ATTRIBUTES)
      << "no plain stored copy";

  // The kept password opens the store: the files come back as they were.
  DeleteSources();
  StartRestore();
  CloseFinishedJob();
  EXPECT_EQ(finished_, L"6 Files");
  for (const std::wstring& said : messages_)
    EXPECT_EQ(said.find(L"failed"), std::wstring::npos) << "the store's key file is no file to restore";
  for (size_t i = 0; i < files_.size(); ++i)
    EXPECT_TRUE(ReadFileBytes(source_ + files_[i]) == originals[i]) << "differs: " << i;

  // Under another kept password the store asks for its own: a wrong one restores nothing.
  SetBackupPassword(L"another-pw");
  DeleteSources();
  StartRestore();
  HWND prompt = nullptr;
  ASSERT_TRUE(
      WaitFor([&] { return (prompt = driver_.FindTopLevel(L"Password Authentication")) != nullptr; }, 15000));
  SetDlgItemTextW(prompt, 1655, L"journey-pw-2");
  ProgramDriver::Click(prompt, 1657);
  ASSERT_TRUE(WaitFor([&] { return ProgramDriver::Text(prompt, 1656) == L"Error:Password error!"; }, 15000));
  ProgramDriver::Click(prompt, 1658);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(prompt); }, 5000));
  Sleep(2000);
  for (const std::wstring& file : files_)
    EXPECT_EQ(GetFileAttributesW((source_ + file).c_str()), INVALID_FILE_ATTRIBUTES) << "restored anyway";
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(driver_.PageBox(), 1015))) << "no job holds the page";

  // The right password kept again; after a restart the hotkey backs up without a question.
  SetBackupPassword(L"journey-pw-1");
  driver_.Quit();
  MarkSources();
  ASSERT_TRUE(driver_.Start());
  ChooseTarget();
  StartWithHotKey(driver_);
  CloseFinishedJob();
  EXPECT_EQ(finished_, L"6 Files");
  for (const wchar_t* title : {L"Password Authentication", L"Password Setting"})
    EXPECT_EQ(driver_.FindTopLevel(title), nullptr);
  for (const std::wstring& said : messages_) EXPECT_EQ(said.find(L"password"), std::wstring::npos) << said;
  EXPECT_EQ(TargetBytesHoldingTheMarker(&stored), 0u);
  driver_.Quit();
}

// Encryption off over an encrypted store: asked, or refused when unattended.
// The key check lost (both copies): a backup with the kept password asks
// before it gives the store a new key, in either language; declined, it
// stores nothing; the right password still restores every file.
TEST_F(EncryptionJourneyTest, ALostKeyCheckIsAskedAboutAndDeclinedStoresNothing) {
  std::vector<std::string> originals;
  ASSERT_NO_FATAL_FAILURE(StartWithEncryptionOn(&originals));
  HWND encryption = FindControl(driver_.PageBox(), 1316);
  ProgramDriver::Click(driver_.PageBox(), 1004);
  StartWithHotKey(driver_);
  CloseFinishedJob();
  ASSERT_EQ(finished_, L"6 Files");

  // Encryption off: the Backup button asks whether to store the copies
  // readable (Cancel), the hotkey refuses with a line; the store stays as it was.
  std::vector<std::pair<std::wstring, std::string>> sealed, unchanged;
  StoreSnapshot(L"R:\\QTRPMB", &sealed);
  ProgramDriver::Click(driver_.PageBox(), 1007);  // the Setting page, where the box is
  PostMessageW(encryption, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return SendMessageW(encryption, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 5000));
  ProgramDriver::Click(driver_.PageBox(), 1004);
  const auto tipsAfterStart = [&](bool hotkey) {
    if (hotkey) {
      StartWithHotKey(driver_);
    } else {
      ProgramDriver::Click(driver_.PageBox(), 1014);
      HWND start = nullptr;
      ASSERT_TRUE(WaitFor([&] { return (start = driver_.FindTopLevel(L"File Backup")) != nullptr; }, 10000));
      ProgramDriver::Click(start, 1045);
    }
    HWND tips = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (tips = driver_.FindTopLevel(L"Tips")) != nullptr; }, 20000));
    messages_.push_back(ProgramDriver::Text(tips, 23362));
    ProgramDriver::Click(tips, hotkey ? 1045 : 1044);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(tips); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(GetDlgItem(driver_.PageBox(), 1014)) != FALSE; }, 10000));
  };
  tipsAfterStart(false);
  EXPECT_NE(messages_.back().find(L"readable"), std::wstring::npos) << std::string(messages_.back().begin(), messages_.back().end());
  tipsAfterStart(true);
  EXPECT_NE(messages_.back().find(L"never stores them readable"), std::wstring::npos);
  StoreSnapshot(L"R:\\QTRPMB", &unchanged);
  EXPECT_TRUE(unchanged == sealed);
  ProgramDriver::Click(driver_.PageBox(), 1007);
  PostMessageW(encryption, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return SendMessageW(encryption, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
  ProgramDriver::Click(driver_.PageBox(), 1004);

  for (const wchar_t* lost : {L"R:\\QTRPMB\\~key.bin", L"R:\\QTRPMB\\~keycopy\\~key.bin"}) {
    SetFileAttributesW(lost, FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(DeleteFileW(lost)) << "both copies were made";
  }
  std::vector<std::pair<std::wstring, std::string>> before, after;
  StoreSnapshot(L"R:\\QTRPMB", &before);
  ASSERT_TRUE(WriteFileBytes(source_ + L"\\plain.txt", "changed since the backup"));

  // The Backup button, confirmed: the question about the lost key comes up; Cancel.
  const auto askedAndDeclined = [&](const std::wstring& backupTitle, const std::wstring& tipsTitle,
                                    const std::wstring& shot) {
    ProgramDriver::Click(driver_.PageBox(), 1014);
    HWND start = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (start = driver_.FindTopLevel(backupTitle)) != nullptr; }, 10000));
    ProgramDriver::Click(start, 1045);
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (question = driver_.FindTopLevel(tipsTitle)) != nullptr; }, 20000));
    const std::wstring said = ProgramDriver::Text(question, 23362);
    EXPECT_NE(said.find(L".qtrx"), std::wstring::npos) << "says which copies become unreadable";
    Sleep(700);
    test::SaveJourneyShot(shot);
    ProgramDriver::Click(question, 1044);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(GetDlgItem(driver_.PageBox(), 1014)) != FALSE; }, 10000));
  };
  askedAndDeclined(L"File Backup", L"Tips", L"lost-key-en");
  ProgramDriver::Click(driver_.PageBox(), 1007);
  HWND others = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (others = PageHolding(1363)) != nullptr; }, 5000));
  PickLanguage(others, false);
  ASSERT_TRUE(WaitFor([&] { return ProgramDriver::Text(driver_.PageBox(), 1007) == L"\u8bbe\u7f6e"; }, 5000));
  ProgramDriver::Click(driver_.PageBox(), 1004);
  Sleep(500);
  askedAndDeclined(L"\u6587\u4ef6\u5907\u4efd", L"\u63d0\u793a", L"lost-key-zh");
  PickLanguage(others, true);
  ASSERT_TRUE(WaitFor([&] { return ProgramDriver::Text(driver_.PageBox(), 1007) == L"Setting"; }, 5000));

  StoreSnapshot(L"R:\\QTRPMB", &after);
  EXPECT_TRUE(after == before) << "declined: nothing stored, no new key check";
  EXPECT_EQ(GetFileAttributesW(L"R:\\QTRPMB\\~key.bin"), INVALID_FILE_ATTRIBUTES);

  // The right password still gives every file back, from what the files carry.
  DeleteSources();
  StartRestore();
  CloseFinishedJob();
  EXPECT_EQ(finished_, L"6 Files");
  for (size_t i = 0; i < files_.size(); ++i)
    EXPECT_TRUE(ReadFileBytes(source_ + files_[i]) == originals[i]) << "differs: " << i;
  driver_.Quit();
}

}  // namespace
}  // namespace qtr
