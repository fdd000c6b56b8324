// Shows the History window with a few made-up jobs, the one with failed
// files opened, for scripts/screenshot: history_preview [LANGUAGE], LANGUAGE
// a table identifier such as 0x0804 (the tables live beside the executable).
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "config/LanguageTable.h"
#include "pages/HistoryWindow.h"
#include "widgets/GdiplusSession.h"

namespace {

std::u16string ExecutableFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L'\\') + 1);
  return std::u16string(folder.begin(), folder.end());
}

qtr::JobRecord Job(uint64_t id, qtr::BackupStartTime started, int seconds, qtr::HistoryJobKind kind,
                   qtr::JobTrigger trigger, qtr::JobEnding ending, uint64_t failed = 0) {
  qtr::JobRecord job;
  job.id = id;
  job.started = job.ended = started;
  const int end = started.hour * 3600 + started.minute * 60 + started.second + seconds;  // within the day
  job.ended.hour = end / 3600;
  job.ended.minute = end / 60 % 60;
  job.ended.second = end % 60;
  job.kind = kind;
  job.trigger = trigger;
  job.target = u"P:";
  job.diskName = u"WDC Passport";
  job.ending = ending;
  job.failedFiles = failed;
  return job;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  qtr::GdiplusSession gdiplus;
  const std::wstring language = argc > 1 ? argv[1] : L"0x0409";
  qtr::ApplyLanguage(ExecutableFolder(), std::u16string(language.begin(), language.end()));

  using Kind = qtr::HistoryJobKind;
  using Trigger = qtr::JobTrigger;
  using Ending = qtr::JobEnding;
  std::vector<qtr::JobRecord> jobs = {
      Job(1, {2026, 2, 27, 20, 0, 0}, 754, Kind::kBackup, Trigger::kSchedule, Ending::kFinished),
      Job(2, {2026, 2, 28, 9, 12, 4}, 95, Kind::kVerify, Trigger::kButton, Ending::kFinished),
      Job(3, {2026, 3, 2, 18, 40, 11}, 3725, Kind::kDiskCopy, Trigger::kButton, Ending::kFinished),
      Job(4, {2026, 3, 3, 12, 1, 30}, 62, Kind::kRestore, Trigger::kButton, Ending::kFinished),
      Job(5, {2026, 3, 5, 17, 30, 0}, 431, Kind::kBackup, Trigger::kHotKey, Ending::kTargetRemoved),
      Job(6, {2026, 3, 6, 8, 15, 42}, 28, Kind::kBackup, Trigger::kEnclosureButton, Ending::kLowSpace),
      Job(7, {2026, 3, 6, 20, 0, 0}, 812, Kind::kBackup, Trigger::kSchedule, Ending::kFinished, 3),
      Job(8, {2026, 3, 7, 9, 5, 0}, 140, Kind::kBackup, Trigger::kQuickActivate, Ending::kFinished),
  };
  jobs[2].target = u"WDC Passport #1";
  jobs[2].diskName.clear();
  // The system's own texts of the errors, in the language of the scene's Windows.
  const bool chinese = language == L"0x0804";
  jobs[6].lines = {
      std::u16string(u"C:\\Users\\ann\\Documents\\accounts.xlsx  Fail(32)") +
          (chinese ? u"\u53e6\u4e00\u4e2a\u7a0b\u5e8f\u6b63\u5728\u4f7f\u7528\u6b64\u6587\u4ef6\uff0c"
                     u"\u8fdb\u7a0b\u65e0\u6cd5\u8bbf\u95ee\u3002"
                   : u"The process cannot access the file because it is being used by another process."),
      std::u16string(u"C:\\Users\\ann\\Documents\\letters\\draft.docx  Fail(5)") +
          (chinese ? u"\u62d2\u7edd\u8bbf\u95ee\u3002" : u"Access denied."),
      std::u16string(u"C:\\Users\\ann\\Pictures\\2025\\holiday-042.jpg  Fail(23)") +
          (chinese ? u"\u6570\u636e\u9519\u8bef(\u5faa\u73af\u5197\u4f59\u68c0\u67e5)\u3002"
                   : u"Data error (cyclic redundancy check)."),
  };
  if (!qtr::HistoryWindow().Show(nullptr, jobs, 7)) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0 && qtr::HistoryWindow().Handle() != nullptr) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
