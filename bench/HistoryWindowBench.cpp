// Opening the History window with the bound of the history (300 jobs of
// 100 failure lines each) under Wine, beside a plain report list filled
// item by item with the same texts, the common way of showing such rows.
// Each is timed from creation until drawn, best of ROUNDS (default 5); the
// window also from reading a full jobhistory.xml, as the program opens it.
//   history_window_bench [ROUNDS]
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "config/LanguageTable.h"
#include "config/JobHistory.h"
#include "pages/HistoryWindow.h"
#include "platform/Utf8.h"
#include "platform/WideText.h"
#include "widgets/GdiplusSession.h"

namespace {

double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::vector<qtr::JobRecord> FullHistory() {
  std::vector<std::u16string> lines;
  for (size_t i = 0; i < qtr::JobHistory::kMaxLinesPerRecord; ++i)
    lines.push_back(
        u"C:\\Users\\ann\\Documents\\letters\\letter-" + qtr::AsU16string(std::to_wstring(i)) +
        u".txt  Fail(32)The process cannot access the file because it is being used by another process.");
  std::vector<qtr::JobRecord> records(qtr::JobHistory::kMaxRecords);
  for (size_t i = 0; i < records.size(); ++i) {
    qtr::JobRecord& record = records[i];
    record.id = i + 1;
    record.started = {2026, 1 + static_cast<int>(i % 12), 1 + static_cast<int>(i % 28), 20, 0, 0};
    record.ended = {record.started.year, record.started.month, record.started.day, 20, 13, 32};
    record.trigger = qtr::JobTrigger::kSchedule;
    record.target = u"P:";
    record.diskName = u"WDC Passport";
    record.failedFiles = 140;
    record.lines = lines;
    record.linesLeftOut = 40;
  }
  return records;
}

// A program folder in the temporary folder holding the full history, written once.
std::u16string FolderWithFullHistory(const std::vector<qtr::JobRecord>& records) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::u16string folder = qtr::AsU16string(temp) + u"qtr-history-bench\\";
  CreateDirectoryW(qtr::AsWstring(folder).c_str(), nullptr);
  const qtr::JobHistory history(folder);
  if (history.Load().size() < records.size()) {
    std::printf("writing %zu jobs into %s\n", records.size(), qtr::Utf16ToUtf8(folder).c_str());
    for (const qtr::JobRecord& record : records) history.Append(record);
  }
  return folder;
}

double OpenHistoryWindow(const std::vector<qtr::JobRecord>& records, const std::u16string& folder = {}) {
  const double start = Seconds();
  const std::vector<qtr::JobRecord> loaded = folder.empty() ? records : qtr::JobHistory(folder).Load();
  qtr::HistoryWindow().Show(nullptr, loaded, loaded.back().id);
  UpdateWindow(qtr::HistoryWindow().Handle());
  Pump();
  const double took = Seconds() - start;
  qtr::HistoryWindow().Close();
  Pump();
  return took;
}

// The peer: every row's texts made and handed to the list one by one.
double OpenPlainList(const std::vector<qtr::JobRecord>& records) {
  const double start = Seconds();
  HWND frame = CreateWindowExW(0, L"STATIC", L"peer", WS_POPUP | WS_VISIBLE, 100, 100, 780, 460, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 20, 58, 740, 230,
                              frame, nullptr, GetModuleHandleW(nullptr), nullptr);
  for (int i = 0; i < 6; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 120;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  const std::vector<qtr::HistoryRow> rows = qtr::HistoryRows(records, qtr::ActiveLanguageTable());
  for (size_t r = 0; r < rows.size(); ++r) {
    const std::u16string* cells[] = {&rows[r].when,   &rows[r].kind,   &rows[r].trigger,
                                     &rows[r].target, &rows[r].result, &rows[r].duration};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(r);
    std::wstring text = qtr::AsWstring(*cells[0]);
    item.pszText = text.data();
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (int c = 1; c < 6; ++c) {
      text = qtr::AsWstring(*cells[c]);
      item.iSubItem = c;
      item.pszText = text.data();
      SendMessageW(list, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
    }
  }
  UpdateWindow(frame);
  Pump();
  const double took = Seconds() - start;
  DestroyWindow(frame);
  Pump();
  return took;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  qtr::GdiplusSession gdiplus;
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  const std::vector<qtr::JobRecord> records = FullHistory();
  const std::u16string folder = FolderWithFullHistory(records);
  double ours = 1e9, peer = 1e9, read = 1e9;
  for (int i = 0; i < rounds; ++i) {
    ours = std::min(ours, OpenHistoryWindow(records));
    read = std::min(read, OpenHistoryWindow(records, folder));
    peer = std::min(peer, OpenPlainList(records));
  }
  std::printf("%zu jobs, best of %d: History window %.3f s (%.3f s with reading jobhistory.xml), "
              "plain report list filled row by row %.3f s\n",
              records.size(), rounds, ours, read, peer);
  return 0;
}
