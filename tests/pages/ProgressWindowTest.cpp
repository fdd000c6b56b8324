#include "pages/ProgressWindow.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "config/PathList.h"
#include "platform/FileSystem.h"
#include "platform/NumberText.h"
#include "support/MemoryFileSystem.h"
#include "resource.h"
#include "platform/Handles.h"
#include "support/MappedDrive.h"
#include "support/MessagePump.h"
#include "support/RecordingPrompter.h"
#include "support/TempFolder.h"
#include "widgets/GdiplusSession.h"

namespace qtr {
namespace {

using test::MappedDrive;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::wstring AsWstring(const std::u16string& s) {
  return std::wstring(s.begin(), s.end());
}

// Answers the questions as a test says, and remembers them.
class RecordingHost : public JobWindowHost {
 public:
  int started = 0, stopped = 0, closed = 0, refreshed = 0;
  void JobStarted(CPropressDlg&) override { ++started; }
  void JobStopped(CPropressDlg&) override { ++stopped; }
  void JobClosed(CPropressDlg&) override { ++closed; }
  void RefreshTrees(const std::u16string&, const std::vector<std::u16string>&) override { ++refreshed; }
  void JobRecorded(const JobRecord& record) override { records.push_back(record); }
  std::vector<JobRecord> records;
};

class ProgressWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_.Reset(CreateWindowExW(0, L"STATIC", L"page", WS_POPUP | WS_VISIBLE, 0, 0, 600, 320, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr));
    source_ = program_.Path() + u"\\source";
    CreateDirectoryW(AsWstring(source_).c_str(), nullptr);
    for (int i = 0; i < 5; ++i)
      WriteBytes(source_ + u"\\file" + DigitsOf(i) + u".txt", std::string(1000 + i, 'x'));
    WritePathList(program_.File(u"backupfullpath.xml"), {source_});
    SetFinish(u"0");
  }

  void SetFinish(std::u16string_view value) {
    WriteBytes(
        program_.File(u"init.xml"),
        "<InitInfo>\r\n<BackupStatus>0</BackupStatus>\r\n<CompressFile>0</CompressFile>\r\n<BackupFinish>" +
            std::string(value.begin(), value.end()) + "</BackupFinish>\r\n</InitInfo>\r\n");
  }

  JobWindowSettings Settings(bool backup = true) const {
    JobWindowSettings s;
    s.backup = backup;
    s.caption = u"Counting the files to back up";
    s.target = u"R:";
    s.programFolder = program_.Path() + u"\\";
    return s;
  }

  // Pumps messages until the window shows Close (or is hidden), at most 30 s.
  void RunUntilEnded(CPropressDlg& window) {
    test::PumpUntil([&window] { return window.Ended() || !IsWindowVisible(window.Handle()); }, 30000);
  }

  std::u16string StoredPath(const std::u16string& source) const {
    // R:\QTRPMB\C\users\...: the drive letter becomes the first folder.
    return u"R:\\QTRPMB\\" + source.substr(0, 1) + source.substr(2);
  }

  GdiplusSession gdiplus_;
  TempFolder program_, target_;
  std::u16string source_;
  MappedDrive drive_{L'r', AsWstring(target_.Path())};
  UniqueWindow parent_;
  test::RecordingPrompter prompter_;
  RecordingHost host_;
};

TEST_F(ProgressWindowTest, RunsARealBackupToTheMappedDriveAndEndsWithClose) {
  ASSERT_TRUE(drive_.Ok());
  CPropressDlg window(Settings(), SystemFileSystem(), prompter_, host_);
  ASSERT_TRUE(window.CreateModeless(parent_.Get()));
  ShowWindow(window.Handle(), SW_SHOW);
  EXPECT_EQ(CurrentProgressWindow(), &window);
  EXPECT_EQ(host_.started, 1);
  wchar_t system[MAX_PATH] = {};
  ASSERT_GE(GetSystemDirectoryW(system, MAX_PATH), 2u);
  EXPECT_EQ(AsWstring(window.Job().settings.systemDrive), std::wstring(system, 2));
  RunUntilEnded(window);

  ASSERT_TRUE(window.Ended());
  EXPECT_EQ(window.ItemText(IDC_PROGRESS_SCANNED), L"5 Files");
  EXPECT_EQ(window.ItemText(IDC_PROGRESS_FINISHED), L"5 Files");
  EXPECT_EQ(window.ItemText(IDC_PROGRESS_REMAINING), L"00:00:00");
  EXPECT_EQ(window.ItemText(IDC_PROGRESS_TOTAL_LABEL), L"Total:");
  EXPECT_FALSE(IsWindowVisible(window.Item(IDC_PROGRESS_STOP)));
  EXPECT_TRUE(IsWindowVisible(window.Item(IDC_PROGRESS_CLOSE)));
  EXPECT_FALSE(IsWindowVisible(window.Item(IDC_PROGRESS_FAILURES)));
  EXPECT_EQ(ReadBytes(StoredPath(source_) + u"\\file3.txt"), std::string(1003, 'x'));
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].title, u"Tips");
  EXPECT_EQ(prompter_.asked[0].message, u"The backup for selected files has been finished ");
  // The record is made before the message, and kept in the program folder.
  ASSERT_EQ(host_.records.size(), 1u);
  EXPECT_EQ(host_.records[0].id, 1u);
  EXPECT_EQ(host_.records[0].files, 5u);
  EXPECT_EQ(host_.records[0].bytes, 5010u);
  EXPECT_TRUE(host_.records[0].Succeeded());
  EXPECT_EQ(host_.records[0].target, u"R:");
  ASSERT_TRUE(JobHistory(program_.File(u"")).Find(1));
  EXPECT_EQ(JobHistory(program_.File(u"")).Find(1)->files, 5u);

  SendMessageW(window.Item(IDC_PROGRESS_CLOSE), BM_CLICK, 0, 0);
  EXPECT_EQ(host_.closed, 1);
  EXPECT_GE(host_.refreshed, 1);
}

TEST_F(ProgressWindowTest, NoCompletionMessageUnlessBackupFinishIsZero) {
  ASSERT_TRUE(drive_.Ok());
  SetFinish(u"1");
  CPropressDlg window(Settings(), SystemFileSystem(), prompter_, host_);
  ASSERT_TRUE(window.CreateModeless(parent_.Get()));
  ShowWindow(window.Handle(), SW_SHOW);
  RunUntilEnded(window);
  ASSERT_TRUE(window.Ended());
  EXPECT_TRUE(prompter_.asked.empty());
}

TEST_F(ProgressWindowTest, AFileThatCannotBeReadShowsTheFailureList) {
  ASSERT_TRUE(drive_.Ok());
  // Held open without sharing, the file cannot be read by the job.
  UniqueHandle locked(CreateFileW(AsWstring(source_ + u"\\file2.txt").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(locked);
  CPropressDlg window(Settings(), SystemFileSystem(), prompter_, host_);
  ASSERT_TRUE(window.CreateModeless(parent_.Get()));
  ShowWindow(window.Handle(), SW_SHOW);
  RunUntilEnded(window);
  ASSERT_TRUE(window.Ended());
  HWND list = window.Item(IDC_PROGRESS_FAILURES);
  EXPECT_TRUE(IsWindowVisible(list));
  ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
  wchar_t line[1024] = {};
  SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
  EXPECT_EQ(std::wstring(line).find(AsWstring(source_ + u"\\file2.txt;Fail(32)")), 0u) << line;
  EXPECT_EQ(window.ItemText(IDC_PROGRESS_FINISHED), L"4 Files");
  // Whole rows only: the list's client height is a multiple of its row height.
  const int row = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  RECT client{};
  GetClientRect(list, &client);
  ASSERT_GT(row, 0);
  EXPECT_GT(client.bottom, 0);
  EXPECT_EQ(client.bottom % row, 0) << client.bottom << " / " << row;
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].message,
            u"The backup has ended, but 1 file failed. It is listed in the window.");
  ASSERT_EQ(host_.records.size(), 1u);
  EXPECT_EQ(host_.records[0].ending, JobEnding::kFinished);
  EXPECT_EQ(host_.records[0].failedFiles, 1u);
  ASSERT_EQ(host_.records[0].lines.size(), 1u);
  EXPECT_EQ(AsWstring(host_.records[0].lines[0]), std::wstring(line));
}

TEST_F(ProgressWindowTest, ARemovalWhileTheStopQuestionIsOpenIsOneStop) {
  ASSERT_TRUE(drive_.Ok());
  for (const bool answer : {true, false}) {
    test::RecordingPrompter prompter;
    RecordingHost host;
    CPropressDlg window(Settings(), SystemFileSystem(), prompter, host);
    ASSERT_TRUE(window.CreateModeless(parent_.Get()));
    ShowWindow(window.Handle(), SW_SHOW);
    prompter.answer = answer;
    prompter.whileAsked = [&] {
      if (prompter.asked.back().message == u"Cancel the backup/restore operation?")
        window.OnTargetRemoved(u"R:");
    };
    SendMessageW(window.Item(IDC_PROGRESS_STOP), BM_CLICK, 0, 0);
    // Whatever the answer, the target is gone: the job stops once, after the question.
    EXPECT_EQ(host.stopped, 1) << "answer " << answer;
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[1].message, u"Backup terminated: Disk has already been removed!");
    EXPECT_FALSE(IsWindowVisible(window.Handle()));
    EXPECT_NE(window.Job().control.stop.load(), 0);
    SendMessageW(window.Item(IDC_PROGRESS_STOP), BM_CLICK, 0, 0);
    EXPECT_EQ(host.stopped, 1);
    ASSERT_EQ(host.records.size(), 1u);
    EXPECT_EQ(host.records[0].ending, JobEnding::kTargetRemoved);
  }
}

TEST_F(ProgressWindowTest, DecliningTheStopQuestionLetsTheJobGoOn) {
  ASSERT_TRUE(drive_.Ok());
  CPropressDlg window(Settings(), SystemFileSystem(), prompter_, host_);
  ASSERT_TRUE(window.CreateModeless(parent_.Get()));
  ShowWindow(window.Handle(), SW_SHOW);
  prompter_.answer = false;
  SendMessageW(window.Item(IDC_PROGRESS_STOP), BM_CLICK, 0, 0);
  ASSERT_TRUE(prompter_.WasAsked(u"Cancel the backup/restore operation?"));
  EXPECT_EQ(host_.stopped, 0);
  prompter_.answer = true;
  RunUntilEnded(window);
  EXPECT_TRUE(window.Ended());
  EXPECT_EQ(window.ItemText(IDC_PROGRESS_FINISHED), L"5 Files");
}

TEST_F(ProgressWindowTest, RemovingTheTargetStopsTheJobWithItsMessage) {
  ASSERT_TRUE(drive_.Ok());
  CPropressDlg window(Settings(), SystemFileSystem(), prompter_, host_);
  ASSERT_TRUE(window.CreateModeless(parent_.Get()));
  ShowWindow(window.Handle(), SW_SHOW);
  window.OnTargetRemoved(u"S:");  // another drive: nothing happens
  EXPECT_TRUE(prompter_.asked.empty());
  window.OnTargetRemoved(u"R:");
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].message, u"Backup terminated: Disk has already been removed!");
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(host_.stopped, 1);
  EXPECT_NE(window.Job().control.stop.load(), 0);
  ASSERT_EQ(host_.records.size(), 1u);
  EXPECT_EQ(host_.records[0].ending, JobEnding::kTargetRemoved);
}

// A volume in memory whose free-space question, asked by the window's tick,
// can run a step of the test at that very moment.
class TickedFileSystem : public MemoryFileSystem {
 public:
  std::function<void()> onFreeSpace;
  uint32_t FreeSpace(std::u16string_view path, uint64_t* bytes) override {
    if (auto step = std::exchange(onFreeSpace, nullptr)) step();
    return MemoryFileSystem::FreeSpace(path, bytes);
  }
};

class InMemoryProgressTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_.Reset(CreateWindowExW(0, L"STATIC", L"page", WS_POPUP | WS_VISIBLE, 0, 0, 600, 320, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr));
    fs_.AddVolume(u'C', MemoryFileSystem::Kind::kNtfs);
    fs_.AddVolume(u'R', MemoryFileSystem::Kind::kNtfs);
    fs_.PutFile(u"C:\\Prog\\init.xml",
                "<InitInfo><BackupStatus>0</BackupStatus><CompressFile>0</CompressFile>"
                "<BackupFinish>0</BackupFinish></InitInfo>");
    fs_.PutFile(u"C:\\Prog\\backupfullpath.xml", "<Path><path path=\"C:\\S\"/></Path>");
  }
  void TearDown() override {
    release_ = true;
    fs_.SetWriteHook(nullptr);
  }
  JobWindowSettings Settings() const {
    JobWindowSettings s;
    s.caption = u"Counting";
    s.target = u"R:";
    s.programFolder = u"C:\\Prog\\";
    return s;
  }
  // The worker's first write into the store waits until the test lets it go.
  void HoldTheFirstStoreWrite() {
    fs_.SetWriteHook([this](const std::u16string& path, uint64_t) {
      if (!path.starts_with(u"R:")) return;
      const DWORD start = GetTickCount();
      while (!release_ && GetTickCount() - start < 10000) Sleep(1);
    });
  }
  void Pump(DWORD milliseconds, const std::function<bool()>& done = nullptr) {
    test::PumpUntil([&done] { return done && done(); }, milliseconds);
  }

  GdiplusSession gdiplus_;
  TickedFileSystem fs_;
  UniqueWindow parent_;
  test::RecordingPrompter prompter_;
  RecordingHost host_;
  std::atomic<bool> release_{false};
};

TEST_F(InMemoryProgressTest, LowSpaceWhileTheStopQuestionIsOpenStartsNoSecondStop) {
  fs_.PutFile(u"C:\\S\\big.bin", std::string(1 << 20, 'b'));
  HoldTheFirstStoreWrite();
  CPropressDlg window(Settings(), fs_, prompter_, host_);
  ASSERT_TRUE(window.CreateModeless(parent_.Get()));
  ShowWindow(window.Handle(), SW_SHOW);
  Pump(5000, [&] { return window.Job().counters.scanning == 0 && window.Job().counters.totalBytes != 0; });
  prompter_.whileAsked = [&] {
    if (prompter_.asked.size() != 1) return;
    fs_.SetCapacity(u'R', 1 << 20);  // the target fills up while the person thinks
    Pump(300);
  };
  SendMessageW(window.Item(IDC_PROGRESS_STOP), BM_CLICK, 0, 0);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].message, u"Cancel the backup/restore operation?");
  EXPECT_EQ(host_.stopped, 1);
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  ASSERT_EQ(host_.records.size(), 1u);
  EXPECT_EQ(host_.records[0].ending, JobEnding::kStoppedByPerson);
  release_ = true;
}

TEST_F(InMemoryProgressTest, TheWorkersLastFailureLineAndCountAreShown) {
  // A name wide enough to need the horizontal scroll bar.
  const std::u16string last = u"C:\\S\\z" + std::u16string(150, u'n') + u".txt";
  fs_.PutFile(u"C:\\S\\a.txt", "first");
  fs_.PutFile(last, "cannot be read");
  fs_.FailReadAt(last, 0, kErrorReadFault);
  HoldTheFirstStoreWrite();
  CPropressDlg window(Settings(), fs_, prompter_, host_);
  // The tick drains the lines, then asks for free space; the worker ends right then.
  fs_.onFreeSpace = [&] {
    release_ = true;
    const DWORD start = GetTickCount();
    while (!window.Worker().Ended() && GetTickCount() - start < 10000) Sleep(1);
  };
  ASSERT_TRUE(window.CreateModeless(parent_.Get()));
  ShowWindow(window.Handle(), SW_SHOW);
  Pump(10000, [&] { return window.Ended(); });
  ASSERT_TRUE(window.Ended());
  HWND list = window.Item(IDC_PROGRESS_FAILURES);
  ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_EQ(window.ItemText(IDC_PROGRESS_FINISHED), L"1 Files");
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].message,
            u"The backup has ended, but 1 file failed. It is listed in the window.");
  const int row = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  RECT client{};
  GetClientRect(list, &client);
  ASSERT_GT(row, 0);
  EXPECT_EQ(client.bottom % row, 0) << client.bottom << " / " << row;
  EXPECT_NE(GetWindowLongW(list, GWL_STYLE) & WS_HSCROLL, 0);
}

}  // namespace
}  // namespace qtr

#include "DeviceTestSupport.h"
#include "devices/DeviceList.h"

namespace qtr {
namespace {

// A quick backup copies one simulated disk onto another in the same window.
TEST(ProgressWindowDiskCopy, CopiesTheWholeDiskAndOffersClose) {
  GdiplusSession gdiplus;
  const auto disk = [](int n, int cylinders) {
    const std::string k = std::to_string(n);
    return "[disk]\npath = \\\\?\\disk" + k + "\nimage = d" + k +
           ".img\nvendor = QTR\nproduct = Box\nnumber = " + k + "\ngeometry = " + std::to_string(cylinders) +
           " 2 4 512\n";
  };
  test::SimulatedWorld world(disk(1, 16) + disk(2, 20));
  DeviceList& devices = DeviceList::Process();
  FillDeviceList(devices);
  for (int k = 0; k < 16; ++k)
    test::WriteImage(world.Image(u"d1.img"), uint64_t(k) * 4096,
                     std::string(4096, static_cast<char>('a' + k)));

  UniqueWindow parent(CreateWindowExW(0, L"STATIC", L"page", WS_POPUP | WS_VISIBLE, 0, 0, 600, 320, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr));
  test::RecordingPrompter prompter;
  RecordingHost host;
  TempFolder program;
  JobWindowSettings settings;
  settings.diskCopy = true;
  settings.sourceDisk = devices.FindByDeviceNumber(1);
  settings.targetDisk = devices.FindByDeviceNumber(2);
  settings.caption = u"Quick backup";
  settings.programFolder = program.Path() + u"\\";
  CPropressDlg window(settings, SystemFileSystem(), prompter, host);
  ASSERT_TRUE(window.CreateModeless(parent.Get()));
  ShowWindow(window.Handle(), SW_SHOW);
  test::PumpUntil([&window] { return window.Ended(); }, 30000);
  ASSERT_TRUE(window.Ended());
  EXPECT_EQ(window.DiskCopy().success.load(), 1);
  EXPECT_EQ(window.ItemText(IDC_PROGRESS_SCANNED), L"64KB");
  EXPECT_EQ(window.ItemText(IDC_PROGRESS_FINISHED), L"64KB");
  for (const int id : {IDC_PROGRESS_SCANNED, IDC_PROGRESS_FINISHED, IDC_PROGRESS_TOTAL_LABEL,
                       IDC_PROGRESS_FINISHED_LABEL, IDC_PROGRESS_ELAPSED, IDC_PROGRESS_OVERALL_BAR})
    EXPECT_TRUE(IsWindowVisible(window.Item(id))) << id;
  EXPECT_TRUE(IsWindowVisible(window.Item(IDC_PROGRESS_CLOSE)));
  EXPECT_EQ(test::ReadImage(world.Image(u"d2.img"), 15 * 4096, 4096), std::string(4096, 'p'));
  SendMessageW(window.Item(IDC_PROGRESS_CLOSE), BM_CLICK, 0, 0);
  EXPECT_EQ(host.closed, 1);
  devices.Clear();
}

}  // namespace
}  // namespace qtr
