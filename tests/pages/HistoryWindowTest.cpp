// The History window under Wine: its rows, its keys, copying a job, the
// language it follows, and how long it takes to open with a full history.
#include "pages/HistoryWindow.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "config/LanguageTable.h"
#include "platform/WideText.h"
#include "resource.h"
#include "support/ExecutableFolder.h"
#include "support/MessagePump.h"
#include "widgets/GdiplusSession.h"

namespace qtr {
namespace {

JobRecord Record(uint64_t id, int minute, JobEnding ending, uint64_t failed,
                 std::vector<std::u16string> lines) {
  JobRecord record;
  record.id = id;
  record.started = {2026, 3, 7, 9, minute, 0};
  record.ended = {2026, 3, 7, 9, minute + 1, 30};
  record.trigger = JobTrigger::kSchedule;
  record.target = u"P:";
  record.ending = ending;
  record.failedFiles = failed;
  record.lines = std::move(lines);
  return record;
}

std::vector<JobRecord> ThreeJobs() {
  return {Record(4, 1, JobEnding::kFinished, 0, {}),
          Record(5, 2, JobEnding::kFinished, 1, {u"C:\\Users\\ann\\locked.doc Fail(32)"}),
          Record(6, 3, JobEnding::kTargetRemoved, 0, {})};
}

std::u16string CellText(HWND list, int row, int column) {
  wchar_t text[256] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 256;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return AsU16string(text);
}

std::u16string ColumnHeading(HWND list, int column) {
  wchar_t text[64] = {};
  LVCOLUMNW heading{};
  heading.mask = LVCF_TEXT;
  heading.pszText = text;
  heading.cchTextMax = 64;
  SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&heading));
  return AsU16string(text);
}

std::u16string WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return AsU16string(text);
}

std::u16string ClipboardText() {
  std::u16string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* at = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = AsU16string(at);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void EmptyTheClipboard() {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  CloseClipboard();
}

void Key(HWND control, WPARAM key) {
  SendMessageW(control, WM_KEYDOWN, key, 0);
  SendMessageW(control, WM_KEYUP, key, 0);
}

class HistoryWindowTest : public testing::Test {
 protected:
  void TearDown() override {
    if (window().Handle() != nullptr) window().Close();
    ApplyLanguage(test::ExecutableFolder(), u"0x0409");
  }
  static CHistoryWnd& window() { return HistoryWindow(); }
  static HWND Control(int id) { return GetDlgItem(window().Handle(), id); }

  GdiplusSession gdiplus_;
};

TEST_F(HistoryWindowTest, RowsAreNewestFirstAndEnterOpensTheFocusedJob) {
  ASSERT_TRUE(window().Show(nullptr, ThreeJobs(), 0));
  HWND list = Control(IDC_HISTORY_LIST);
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(CellText(list, 0, 0), u"2026-03-07 09:03:00");
  EXPECT_EQ(CellText(list, 0, 1), u"Backup");
  EXPECT_EQ(CellText(list, 0, 2), u"Schedule");
  EXPECT_EQ(CellText(list, 0, 3), u"P:");
  EXPECT_EQ(CellText(list, 0, 4), u"Stopped: disk removed");
  EXPECT_EQ(CellText(list, 0, 5), u"1:30");
  EXPECT_EQ(CellText(list, 1, 4), u"1 file failed");
  EXPECT_EQ(WindowText(Control(IDC_HISTORY_LINES)),
            u"Double-click a job, or press Enter, to see its failed files.");
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_HISTORY_COPY)));

  // The newest job has the focus; one down is the job with the failed file.
  Key(list, VK_DOWN);
  Key(list, VK_RETURN);
  EXPECT_EQ(window().OpenedJob(), 5u);
  EXPECT_EQ(WindowText(Control(IDC_HISTORY_LINES)),
            u"2026-03-07 09:02:00  Backup  P:  1 file failed\r\nC:\\Users\\ann\\locked.doc Fail(32)\r\n");
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_HISTORY_COPY)));

  // A double click opens the job under the mouse.
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  SendMessageW(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
  const LPARAM at = MAKELPARAM(row.left + 20, (row.top + row.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(list, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(window().OpenedJob(), 4u);
}

TEST_F(HistoryWindowTest, CopyAndCtrlCPutTheOpenedJobOnTheClipboard) {
  ASSERT_TRUE(window().Show(nullptr, ThreeJobs(), 5));
  const std::u16string job =
      u"2026-03-07 09:02:00  Backup  P:  1 file failed\r\nC:\\Users\\ann\\locked.doc Fail(32)\r\n";
  EmptyTheClipboard();
  SendMessageW(Control(IDC_HISTORY_COPY), BM_CLICK, 0, 0);
  EXPECT_EQ(ClipboardText(), job);

  // Ctrl+C in the list opens the focused job and copies it; in the lines
  // without a selection it copies the whole job too.
  EmptyTheClipboard();
  Key(Control(IDC_HISTORY_LIST), VK_UP);
  SendMessageW(Control(IDC_HISTORY_LIST), WM_CHAR, 3, 0);
  EXPECT_EQ(window().OpenedJob(), 6u);
  EXPECT_EQ(ClipboardText(),
            u"2026-03-07 09:03:00  Backup  P:  Stopped: disk removed\r\nNo file failed.\r\n");
  EmptyTheClipboard();
  SendMessageW(Control(IDC_HISTORY_LINES), WM_CHAR, 3, 0);
  EXPECT_EQ(ClipboardText(),
            u"2026-03-07 09:03:00  Backup  P:  Stopped: disk removed\r\nNo file failed.\r\n");
}

TEST_F(HistoryWindowTest, SecondOpenBringsTheWindowForwardOnTheJobAndEscClosesIt) {
  ASSERT_TRUE(window().Show(nullptr, ThreeJobs(), 0));
  const HWND first = window().Handle();
  std::vector<JobRecord> more = ThreeJobs();
  more.push_back(Record(7, 4, JobEnding::kLowSpace, 0, {}));
  ASSERT_TRUE(window().Show(nullptr, more, 7));
  EXPECT_EQ(window().Handle(), first);
  EXPECT_EQ(SendMessageW(Control(IDC_HISTORY_LIST), LVM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(window().OpenedJob(), 7u);
  EXPECT_EQ(SendMessageW(Control(IDC_HISTORY_LIST), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED),
            0);
  // A job the history no longer keeps opens nothing.
  EXPECT_FALSE(window().OpenJob(99));
  EXPECT_EQ(window().OpenedJob(), 7u);

  Key(Control(IDC_HISTORY_LINES), VK_ESCAPE);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(window().Handle(), nullptr);

  // And it opens again, with nothing opened from before.
  ASSERT_TRUE(window().Show(nullptr, more, 0));
  EXPECT_EQ(window().OpenedJob(), 0u);
  Key(Control(IDC_HISTORY_LIST), VK_ESCAPE);
  EXPECT_EQ(window().Handle(), nullptr);
}

TEST_F(HistoryWindowTest, FollowsTheActiveLanguage) {
  ASSERT_TRUE(window().Show(nullptr, ThreeJobs(), 6));
  HWND list = Control(IDC_HISTORY_LIST);
  EXPECT_EQ(ColumnHeading(list, 4), u"Result");
  ASSERT_TRUE(ApplyLanguage(test::ExecutableFolder(), u"0x0804"));
  window().ShowTexts();
  EXPECT_EQ(WindowText(window().Handle()), u"\u5386\u53F2\u8BB0\u5F55");
  EXPECT_EQ(ColumnHeading(list, 4), u"\u7ED3\u679C");
  EXPECT_EQ(CellText(list, 0, 4), u"\u5DF2\u505C\u6B62\uFF1A\u78C1\u76D8\u5DF2\u79FB\u9664");
  EXPECT_EQ(WindowText(Control(IDC_HISTORY_COPY)), u"\u590D\u5236");
  EXPECT_TRUE(WindowText(Control(IDC_HISTORY_LINES)).find(u"\u5DF2\u505C\u6B62") != std::u16string::npos);
}

TEST_F(HistoryWindowTest, OpensAFullHistoryQuickly) {
  // The bound of the history, each job with the bound of lines and more left out.
  std::vector<JobRecord> records;
  std::vector<std::u16string> lines;
  for (size_t i = 0; i < JobHistory::kMaxLinesPerRecord; ++i)
    lines.push_back(u"C:\\Users\\ann\\Documents\\letters\\letter-" + AsU16string(std::to_wstring(i)) +
                    u".txt Fail(32)");
  for (uint64_t id = 1; id <= JobHistory::kMaxRecords; ++id) {
    records.push_back(Record(id, static_cast<int>(id % 50), JobEnding::kFinished, 140, lines));
    records.back().linesLeftOut = 40;
  }
  LARGE_INTEGER frequency, start, shown;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  ASSERT_TRUE(window().Show(nullptr, records, JobHistory::kMaxRecords));
  UpdateWindow(window().Handle());
  test::PumpMessages();
  QueryPerformanceCounter(&shown);
  const double seconds =
      static_cast<double>(shown.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("History window with %zu jobs open and drawn in %.3f s\n", records.size(), seconds);
  EXPECT_EQ(SendMessageW(Control(IDC_HISTORY_LIST), LVM_GETITEMCOUNT, 0, 0), 300);
  const std::u16string opened = WindowText(Control(IDC_HISTORY_LINES));
  EXPECT_TRUE(opened.ends_with(u"letter-99.txt Fail(32)\r\n40 more lines were left out.\r\n"));
}

}  // namespace
}  // namespace qtr
