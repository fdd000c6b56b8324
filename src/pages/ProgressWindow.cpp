#include "pages/ProgressWindow.h"

#include <algorithm>
#include <ctime>

#include "config/LanguageText.h"
#include "config/SettingsFile.h"
#include "engine/JobOptions.h"
#include "engine/JobText.h"
#include "engine/StoreLayout.h"
#include "engine/VersionPutBack.h"
#include "engine/JobWorker.h"
#include "platform/WideText.h"
#include "xml/XmlDocument.h"
#include "xml/XmlFileLoad.h"
#include "resource.h"
#include "widgets/ControlColours.h"
#include "widgets/WindowShape.h"

namespace qtr {
namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr int kFailureListHeight = 65;  // at most; whole rows only
// A verify's findings are what the person reads once it has ended: the
// list then takes the progress bars' place, and the summary wraps beside
// the Close button.
constexpr int kFindingsListHeight = 90;
constexpr int kSummaryTop = 218, kSummaryHeight = 36;

int64_t Now() {
  return static_cast<int64_t>(std::time(nullptr));
}

struct Label {
  int id;
  int x, y, width;
  bool value;  // values use the bolder font
};

// Two rows of label and value, then the current file, the bars and the buttons.
constexpr Label kLabels[] = {
    {IDC_PROGRESS_TOTAL_LABEL, 25, 72, 110, false},      {IDC_PROGRESS_SCANNED, 140, 72, 120, true},
    {IDC_PROGRESS_ELAPSED_LABEL, 280, 72, 110, false},   {IDC_PROGRESS_ELAPSED, 395, 72, 120, true},
    {IDC_PROGRESS_FINISHED_LABEL, 25, 96, 110, false},   {IDC_PROGRESS_FINISHED, 140, 96, 120, true},
    {IDC_PROGRESS_REMAINING_LABEL, 280, 96, 110, false}, {IDC_PROGRESS_REMAINING, 395, 96, 120, true},
};

}  // namespace

CPropressDlg*& CurrentProgressWindow() {
  static CPropressDlg* current = nullptr;
  return current;
}

CPropressDlg::CPropressDlg(const JobWindowSettings& settings, FileSystem& fs, Prompter& prompter,
                           JobWindowHost& host)
    : PaintedDialog(IDD_PROGRESS), settings_(settings), fs_(fs), prompter_(prompter), host_(host) {}

CPropressDlg::~CPropressDlg() {
  EndWorker();
  // The program quit in the middle of the job: it is kept in the history as
  // one the person stopped. The host is going away and is not told.
  if (job_ && !recorded_) RecordEnd(JobEnding::kStoppedByPerson, false);
  if (CurrentProgressWindow() == this) CurrentProgressWindow() = nullptr;
}

// A window that goes away while its worker still runs stops it first: the
// worker uses the job this window owns.
void CPropressDlg::EndWorker() {
  if (job_) {
    job_->control.stop = 1;
    job_->control.pause.Open();
  }
  worker_.Join();
  if (settings_.diskCopy) {
    diskJob_.stop = 1;
    diskWorker_.Join();
  }
  SetThreadExecutionState(ES_CONTINUOUS);
}

void CPropressDlg::AddFailureLine(const std::u16string& line) {
  // The worker never waits for the window thread; the timer moves lines to the list.
  std::lock_guard<std::mutex> lock(linesMutex_);
  pendingLines_.push_back(line);
}

void CPropressDlg::MoveFailureLinesToList() {
  std::vector<std::u16string> lines;
  {
    std::lock_guard<std::mutex> lock(linesMutex_);
    lines.swap(pendingLines_);
  }
  if (lines.empty()) return;
  HWND list = Item(IDC_PROGRESS_FAILURES);
  for (const std::u16string& line : lines) {
    record_.AddLine(line);
    const std::wstring text = AsWstring(line);
    const LRESULT at = SendMessageW(list, LB_GETCOUNT, 0, 0);
    SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
  }
  UpdateHorizontalExtent(list);
  FitFailureListToRows();  // a horizontal scroll bar, once shown, takes height from the rows
}

void CPropressDlg::FitFailureListToRows() {
  HWND list = Item(IDC_PROGRESS_FAILURES);
  const int row = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  if (row <= 0) return;
  RECT outer{}, client{};
  GetWindowRect(list, &outer);
  GetClientRect(list, &client);
  const int frame = (outer.bottom - outer.top) - (client.bottom - client.top);
  const int rows = std::max(1, (listMost_ - frame) / row);
  const int height = rows * row + frame;
  if (height != outer.bottom - outer.top)
    SetWindowPos(list, nullptr, 0, 0, outer.right - outer.left, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CPropressDlg::OnInit() {
  CurrentProgressWindow() = this;
  const LocalTime now = (settings_.clock != nullptr ? *settings_.clock : SystemLocalClock()).Now();
  record_.started = {now.year, now.month, now.day, now.hour, now.minute, now.second};
  SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
  CreateControls();
  finishAllowed_ = true;

  job_ = std::make_unique<BackupJob>(fs_, static_cast<JobReporter&>(*this), settings_.programFolder);
  SetText(IDC_PROGRESS_CAPTION, settings_.caption);
  host_.JobStarted(*this);
  // The PC stays awake while the job runs.
  SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
  if (settings_.diskCopy) {
    diskJob_.source = settings_.sourceDisk;
    diskJob_.target = settings_.targetDisk;
    // The copy starts while the device list is held, so no disk leaves it meanwhile.
    diskWorker_.Start(diskJob_, DeviceList::Process());
    diskTicker_ = std::make_unique<DiskCopyTicker>(Now());
    // The kilobyte figures and bars are the whole of a quick backup's display.
    ShowProgressControls(true);
  } else {
    SetUpJob(*job_, settings_.target, !settings_.backup);
    job_->settings.typeFilter = settings_.typeFilter;
    if (settings_.storeKey) job_->settings.storeKey = settings_.storeKey->Duplicate();
    settings_.storeKey.reset();  // the job's is the one copy left
    job_->settings.storeReadable = settings_.storeReadable ? 1 : 0;
    job_->settings.notes = JobNotesFrom(ActiveLanguageTable());
    job_->guard.askPerson = settings_.personWatching ? 1 : 0;
    job_->control.pause.Open();
    ShowProgressControls(false);
    if (settings_.verify) {
      // A verify writes nothing: the target's free space does not concern it.
      job_->settings.kind = JobKind::kVerify;
      SetText(IDC_PROGRESS_FINISHED_LABEL, DisplayText(TextId::VerifyHaveFinish));
      worker_.Start([this, job = job_.get(), reasons = VerifyReasonsFrom(ActiveLanguageTable())] {
        verifyOutcome_ = RunVerifyJob(*job, reasons);
      });
    } else {
      worker_.Start([job = job_.get()] { RunJob(*job); });
    }
  }

  ticker_ = std::make_unique<JobTicker>(Now());
  SetTimer(Handle(), kTimerId, 1, nullptr);
  timerRunning_ = true;
  SetFocus(stopButton_.Handle());
  return false;
}

void CPropressDlg::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  titleFont_.Reset(CreateFontW(-18, 0, 0, 0, 600, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  labelFont_.Reset(CreateFontW(-12, 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  valueFont_.Reset(CreateFontW(-12, 0, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  const auto make = [&](const wchar_t* cls, DWORD style, int id, int x, int y, int w, int h, HFONT font) {
    HWND control = CreateWindowExW(0, cls, L"", WS_CHILD | style, x, y, w, h, Handle(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
  };
  make(L"STATIC", WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, IDC_PROGRESS_CAPTION, 25, 34,
       kWidth - 50, 24, titleFont_.Get());
  for (const Label& label : kLabels)
    make(L"STATIC", SS_LEFT | SS_NOPREFIX, label.id, label.x, label.y, label.width, 18,
         label.value ? valueFont_.Get() : labelFont_.Get());
  SetText(IDC_PROGRESS_TOTAL_LABEL, DisplayText(TextId::ProgressTotal));
  SetText(IDC_PROGRESS_ELAPSED_LABEL, DisplayText(TextId::HaveUseTime));
  SetText(IDC_PROGRESS_FINISHED_LABEL, DisplayText(TextId::HaveFinish));
  SetText(IDC_PROGRESS_REMAINING_LABEL, DisplayText(TextId::PrecastTime));
  SetText(IDC_PROGRESS_ELAPSED, u"00:00:00");
  SetText(IDC_PROGRESS_REMAINING, u"00:00:00");
  SetText(IDC_PROGRESS_FINISHED, u"0 Files");
  make(L"STATIC", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS | SS_NOTIFY, IDC_PROGRESS_CURRENT_FILE, 25, 196,
       kWidth - 50, 18, labelFont_.Get());
  // A verify's findings in one line, in the current file's place once it has ended.
  make(L"STATIC", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, IDC_PROGRESS_VERIFY_SUMMARY, 25, 194, kWidth - 50,
       20, valueFont_.Get());
  make(L"LISTBOX", WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL,
       IDC_PROGRESS_FAILURES, 25, 125, kWidth - 50, kFailureListHeight, labelFont_.Get());
  listMost_ = kFailureListHeight;
  FitFailureListToRows();
  fileBar_.Create(Handle(), IDC_PROGRESS_FILE_BAR, RECT{25, 218, kWidth - 130, 234});
  overallBar_.Create(Handle(), IDC_PROGRESS_OVERALL_BAR, RECT{25, 242, kWidth - 130, 258});
  HWND stop = make(L"BUTTON", WS_VISIBLE | WS_TABSTOP, IDC_PROGRESS_STOP, kWidth - 110, 226, 85, 28,
                   labelFont_.Get());
  HWND close = make(L"BUTTON", WS_TABSTOP, IDC_PROGRESS_CLOSE, kWidth - 110, 226, 85, 28, labelFont_.Get());
  SetWindowTextW(stop, AsWstring(DisplayText(TextId::Cancel)).c_str());
  SetWindowTextW(close, AsWstring(DisplayText(TextId::Close)).c_str());
  stopButton_.Attach(stop);
  closeButton_.Attach(close);
  stopButton_.SetBackground(Surface());
  closeButton_.SetBackground(Surface());
  tooltip_.Create(Handle());
}

void CPropressDlg::ShowProgressControls(bool show) {
  for (const Label& label : kLabels) ShowWindow(Item(label.id), show ? SW_SHOW : SW_HIDE);
  ShowWindow(Item(IDC_PROGRESS_CURRENT_FILE), show ? SW_SHOW : SW_HIDE);
  ShowWindow(overallBar_.Handle(), show ? SW_SHOW : SW_HIDE);
  ShowWindow(fileBar_.Handle(), show ? SW_SHOW : SW_HIDE);
}

// Labels change only when their text does, so the 1 ms timer costs nothing visible.
void CPropressDlg::SetText(int id, const std::u16string& text) {
  const std::wstring wide = AsWstring(text);
  if (ItemText(id) != wide) SetItemText(id, wide);
}

bool CPropressDlg::OnTimer(UINT_PTR id) {
  if (id != kTimerId) return false;
  // Nothing moves while a stop is asked about or after it was accepted: a
  // tick could otherwise start a second stop inside the first one's question.
  if (promptOpen_) return true;
  if (settings_.diskCopy) {
    RenderDiskCopy(diskTicker_->Tick(diskJob_, Now(), promptOpen_));
    return true;
  }
  MoveFailureLinesToList();
  const size_t lines = static_cast<size_t>(SendMessageW(Item(IDC_PROGRESS_FAILURES), LB_GETCOUNT, 0, 0));
  Render(ticker_->Tick(*job_, Now(), lines, promptOpen_));
  return true;
}

void CPropressDlg::Render(const JobView& view) {
  SetText(IDC_PROGRESS_SCANNED, view.scannedText);
  if (view.scanning) return;
  switch (view.action) {
    case JobView::Action::kStopForNoTarget:
      // A backup without a target cannot go on, so there is nothing to ask.
      RecordEnd(JobEnding::kTargetRemoved);
      noPrompt_ = true;
      StopJob();
      return;
    case JobView::Action::kStopForLowSpace:
      promptOpen_ = true;  // no other stop while the message is open
      KillTimer(Handle(), kTimerId);
      timerRunning_ = false;
      noPrompt_ = true;
      RecordEnd(JobEnding::kLowSpace);
      prompter_.Ask({DisplayText(TextId::DiskIsSmallTitle), DisplayText(TextId::DiskIsSmallMessage), false});
      AcceptStop();
      return;
    case JobView::Action::kAskGuard: {
      // The pass waits for the answer; stopping is the default.
      promptOpen_ = true;
      const std::u16string found = GuardFindingsText(ActiveLanguageTable(), job_->guard.Findings());
      const bool stop = prompter_.Ask(
          {DisplayText(TextId::GuardTitle), found + u"\n\n" + DisplayText(TextId::GuardQuestion), false});
      job_->guard.answer = stop ? JobGuard::kStop : JobGuard::kGoOn;
      promptOpen_ = false;
      return;
    }
    default: break;
  }
  if (view.showControls) ShowProgressControls(true);
  if (view.showFailureList) {
    ShowWindow(Item(IDC_PROGRESS_FAILURES), SW_SHOW);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
  if (view.overallPercent) overallBar_.SetPercent(*view.overallPercent);
  if (view.filePercent) fileBar_.SetPercent(*view.filePercent);
  if (view.currentFile) {
    SetText(IDC_PROGRESS_CURRENT_FILE, *view.currentFile);
    tooltip_.SetText(Item(IDC_PROGRESS_CURRENT_FILE), AsWstring(*view.currentFile));
  }
  if (view.elapsedText) SetText(IDC_PROGRESS_ELAPSED, *view.elapsedText);
  if (view.remainingText) SetText(IDC_PROGRESS_REMAINING, *view.remainingText);
  if (!view.finishedText.empty()) SetText(IDC_PROGRESS_FINISHED, view.finishedText);
  if (view.action == JobView::Action::kFinish || view.action == JobView::Action::kEndedWithNothing) {
    KillTimer(Handle(), kTimerId);
    timerRunning_ = false;
    TakeFinalFigures();
    RecordEnd(job_->guard.stopped != 0 ? JobEnding::kStoppedByGuard : JobEnding::kFinished);
    ShowCloseButton();
    SetThreadExecutionState(ES_CONTINUOUS);
    FinishJob(view.action == JobView::Action::kEndedWithNothing);
  }
}

void CPropressDlg::RenderDiskCopy(const DiskCopyView& view) {
  SetText(IDC_PROGRESS_SCANNED, view.totalText);
  if (view.copiedText) SetText(IDC_PROGRESS_FINISHED, *view.copiedText);
  if (view.percent) {
    overallBar_.SetPercent(*view.percent);
    fileBar_.SetPercent(*view.percent);
  }
  if (view.elapsedText) SetText(IDC_PROGRESS_ELAPSED, *view.elapsedText);
  if (view.remainingText) SetText(IDC_PROGRESS_REMAINING, *view.remainingText);
  if (view.ended) {
    SetText(IDC_PROGRESS_REMAINING, u"00:00:00");
    KillTimer(Handle(), kTimerId);
    timerRunning_ = false;
    RecordEnd(JobEnding::kFinished);
    ShowCloseButton();
    SetThreadExecutionState(ES_CONTINUOUS);
  }
}

void CPropressDlg::ShowCloseButton() {
  ended_ = true;
  ShowWindow(stopButton_.Handle(), SW_HIDE);
  ShowWindow(closeButton_.Handle(), SW_SHOW);
  SetFocus(closeButton_.Handle());
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The worker set its stop flag as its last step but one, so it is leaving:
// once it has, every failure line and the finished count are final.
void CPropressDlg::TakeFinalFigures() {
  worker_.Join();
  MoveFailureLinesToList();
  SetText(IDC_PROGRESS_FINISHED, FormatFileCount(job_->counters.finishedCount));
  if (SendMessageW(Item(IDC_PROGRESS_FAILURES), LB_GETCOUNT, 0, 0) > 0)
    ShowWindow(Item(IDC_PROGRESS_FAILURES), SW_SHOW);
}

void CPropressDlg::FinishJob(bool nothingCopied) {
  if (job_->counters.totalBytes == 0) overallBar_.SetPercent(100);
  fileBar_.SetPercent(100);
  if (settings_.verify) {
    // The findings stay in the window, beside its failure list, until Close.
    ShowWindow(Item(IDC_PROGRESS_CURRENT_FILE), SW_HIDE);
    ShowWindow(overallBar_.Handle(), SW_HIDE);
    ShowWindow(fileBar_.Handle(), SW_HIDE);
    listMost_ = kFindingsListHeight;
    FitFailureListToRows();
    SetWindowPos(Item(IDC_PROGRESS_VERIFY_SUMMARY), nullptr, 25, kSummaryTop, kWidth - 145, kSummaryHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetText(IDC_PROGRESS_VERIFY_SUMMARY, VerifySummaryText(verifyOutcome_, ActiveLanguageTable()));
    ShowWindow(Item(IDC_PROGRESS_VERIFY_SUMMARY), SW_SHOW);
    return;
  }
  // Files, not lines: a file may have several, and a copy that only lacks its times is no failure.
  const size_t failed = job_->results.FailedFiles();
  const uint32_t changed = job_->counters.changedCount;
  // A backup the guard stopped always says why, and offers to undo what it replaced.
  const bool guarded = job_->guard.stopped != 0;
  // With nothing copied and nothing failed there is nothing to tell.
  if (nothingCopied && failed == 0 && !guarded) return;
  XmlDocument init;
  if (!LoadXmlFile(fs_, settings_.programFolder + u"init.xml", &init)) return;
  const auto finish = ReadSetting(init, u"BackupFinish");
  if (!finishAllowed_ || (!guarded && (!finish || *finish != u"0"))) return;
  // A job with failed files never says that it finished well.
  std::u16string message;
  if (failed == 1) {
    message = DisplayText(settings_.backup ? TextId::BackupOneFailedTipMessage
                                           : TextId::RestoreOneFailedTipMessage);
  } else if (failed > 0) {
    message = WithCount(
        DisplayText(settings_.backup ? TextId::BackupFailedTipMessage : TextId::RestoreFailedTipMessage),
        static_cast<int64_t>(failed));
  } else if (!guarded) {
    message =
        DisplayText(settings_.backup ? TextId::BackupFinishTipMessage : TextId::RestoreFinishTipMessage);
  }
  // A restore that wrote files changed since their backup says so, whatever else it says.
  if (changed > 0) message += u"\n" + WithCount(DisplayText(TextId::RestoreChangedTipMessage), changed);
  // And where the files it replaced went, so that a wrong restore can be undone.
  if (const std::u16string kept =
          SetAsideText(ActiveLanguageTable(), job_->counters.recycledCount, job_->counters.keptBesideCount);
      !kept.empty())
    message += u"\n" + kept;
  if (guarded)
    message = GuardFindingsText(ActiveLanguageTable(), job_->guard.Findings()) + u"\n" +
              job_->settings.notes.guardStopped + (message.empty() ? u"" : u"\n\n" + message);
  completionOpen_ = true;
  prompter_.Ask({DisplayText(TextId::PromptTitle), message, false});
  if (guarded && settings_.personWatching && !job_->settings.versionStamp.empty() &&
      prompter_.Ask({DisplayText(TextId::GuardTitle), DisplayText(TextId::GuardPutBack), false})) {
    const StoreKey* key = job_->settings.storeKey ? &*job_->settings.storeKey : nullptr;
    std::vector<std::u16string> stayed;
    const size_t back =
        PutBackVersions(fs_, StoreRootOf(settings_.target), job_->settings.versionStamp, key, &stayed);
    // What stayed in the version folder is said too, each with the system's words.
    std::u16string done = WithCount(DisplayText(TextId::GuardPutBackDone), static_cast<int64_t>(back));
    for (const std::u16string& line : stayed) done += u"\n" + line;
    prompter_.Ask({DisplayText(TextId::GuardTitle), done, false});
  }
  completionOpen_ = false;
}

void CPropressDlg::RecordEnd(JobEnding ending, bool tellHost) {
  if (recorded_) return;
  recorded_ = true;
  JobRecord record = std::move(record_);
  record_ = {};
  const LocalTime now = (settings_.clock != nullptr ? *settings_.clock : SystemLocalClock()).Now();
  record.ended = {now.year, now.month, now.day, now.hour, now.minute, now.second};
  record.trigger = settings_.trigger;
  record.target = settings_.target;
  record.diskName = settings_.diskName;
  record.ending = ending;
  if (settings_.diskCopy) {
    record.kind = HistoryJobKind::kDiskCopy;
    record.target = settings_.diskName;
    record.bytes = diskJob_.copied.load();
    // A copy that ended by itself without success did not complete; it has no files to name.
    if (ending == JobEnding::kFinished && diskJob_.success.load() == 0) record.failedFiles = 1;
  } else {
    // Lines still on their way from the worker belong to the record too.
    {
      std::lock_guard<std::mutex> lock(linesMutex_);
      for (const std::u16string& line : pendingLines_) record.AddLine(line);
    }
    record.kind = settings_.verify   ? HistoryJobKind::kVerify
                  : settings_.backup ? HistoryJobKind::kBackup
                                     : HistoryJobKind::kRestore;
    record.files = job_->counters.finishedCount.load();
    record.bytes = job_->counters.doneBytes.load();
    record.failedFiles = job_->results.FailedFiles();
    // A verify's outcome is read only once its worker was joined, as it is for a finished one.
    if (settings_.verify && ending == JobEnding::kFinished) {
      record.files = verifyOutcome_.checked;
      record.failedFiles = verifyOutcome_.damaged + verifyOutcome_.missing;
    }
  }
  // A history that cannot be saved never holds the job up: the record is still told.
  record.id = JobHistory(settings_.programFolder).Append(record);
  if (tellHost) host_.JobRecorded(record);
}

void CPropressDlg::StopJob() {
  // A stop that arrives while one is asked about, or after one was accepted,
  // is the same stop: running it again would hide the window and tell the
  // host twice, the second time from inside the first question.
  if (promptOpen_ || ended_) return;
  promptOpen_ = true;
  job_->control.pause.Close();  // the disk copy checks its stop flag only
  if (!noPrompt_) {
    const bool confirmed =
        prompter_.Ask({DisplayText(TextId::PromptTitle), DisplayText(TextId::PromptCancel), false});
    if (targetGone_) {
      // The target went while the question was open: the job cannot go on, whatever the answer.
      prompter_.Ask({DisplayText(TextId::PromptTitle), DisplayText(TextId::RemoveDisk), false});
    } else if (!confirmed) {
      job_->control.pause.Open();
      promptOpen_ = false;
      return;
    }
  }
  AcceptStop();
}

void CPropressDlg::AcceptStop() {
  RecordEnd(targetGone_ ? JobEnding::kTargetRemoved : JobEnding::kStoppedByPerson);
  job_->control.pause.Open();
  if (timerRunning_) {
    KillTimer(Handle(), kTimerId);
    timerRunning_ = false;
  }
  host_.RefreshTrees(settings_.target, {});
  ShowWindow(Handle(), SW_HIDE);
  if (settings_.diskCopy) {
    diskJob_.stop = 1;
  } else {
    job_->control.stop = 1;
  }
  host_.JobStopped(*this);
}

void CPropressDlg::CloseJobWindow() {
  if (completionOpen_) return;  // closed when the message is answered, not from inside it
  EndWorker();
  std::vector<std::u16string> roots = job_->results.restoreRoots;
  ShowWindow(Handle(), SW_HIDE);
  host_.RefreshTrees(settings_.target, roots);
  host_.JobClosed(*this);
}

void CPropressDlg::OnTargetRemoved(const std::u16string& drive) {
  if (!IsTargetRemoval(drive, settings_.target) || ended_) return;
  if (settings_.diskCopy) {
    diskJob_.stop = 1;
  } else {
    job_->control.stop = 1;
  }
  if (promptOpen_) {
    // A question or message is open (or the stop was accepted): it ends the job when it closes.
    targetGone_ = true;
    return;
  }
  promptOpen_ = true;
  KillTimer(Handle(), kTimerId);
  timerRunning_ = false;
  noPrompt_ = true;
  RecordEnd(JobEnding::kTargetRemoved);
  prompter_.Ask({DisplayText(TextId::PromptTitle), DisplayText(TextId::RemoveDisk), false});
  AcceptStop();
}

bool CPropressDlg::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_PROGRESS_STOP: StopJob(); return true;
    case IDC_PROGRESS_CLOSE: CloseJobWindow(); return true;
    case IDOK:
    case IDCANCEL: return true;
    default: return false;
  }
}

void CPropressDlg::PaintSurface(HDC dc, const RECT& client) {
  GdiObject<HBRUSH> body(CreateSolidBrush(kBackground));
  FillRect(dc, &client, body.Get());
}

// Opaque on the window's own colour, so a changed value leaves nothing of the old one behind.
INT_PTR CPropressDlg::ColourStatic(HDC dc) {
  return labelColours_.Apply(dc);
}

}  // namespace qtr
