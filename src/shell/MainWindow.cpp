#include "shell/MainWindow.h"

#include <windowsx.h>

#include <shlobj.h>

#include "config/BackupRecord.h"
#include "config/HotKeySetting.h"
#include "config/LanguageList.h"
#include "config/LanguageTable.h"
#include "config/LanguageText.h"
#include "config/PathList.h"
#include "config/SelectionFiles.h"
#include "config/SettingsFile.h"
#include "config/SystemLanguage.h"
#include "devices/ProgramDevices.h"
#include "pages/HistoryWindow.h"
#include "platform/FileSystem.h"
#include "platform/ShellMemory.h"
#include "platform/WholeFile.h"
#include "platform/WideText.h"
#include "resource.h"
#include "shell/AboutDialog.h"
#include "shell/ProgramFolder.h"
#include "shell/TraceLog.h"
#include "ui/BackupReminder.h"
#include "ui/HelpViewer.h"
#include "ui/JobNotice.h"
#include "ui/SimulatedClock.h"
#include "widgets/ControlColours.h"
#include "widgets/SelectedObject.h"
#include "widgets/WindowPlacement.h"

namespace qtr {
namespace {

struct TitleButton {
  int id;
  UINT normal, pressed, hover;
  TextId tip;
};

// Right to left, 20 pixels apart, at the top right of the title band.
constexpr TitleButton kTitleButtons[] = {
    {IDC_MAIN_QUIT, IDP_QUIT_NORMAL, IDP_QUIT_PRESSED, IDP_QUIT_HOVER, TextId::Quit},
    {IDC_MAIN_HELP, IDP_HELP_NORMAL, IDP_HELP_PRESSED, IDP_HELP_HOVER, TextId::Help},
    {IDC_MAIN_ABOUT, IDP_ABOUT_NORMAL, IDP_ABOUT_PRESSED, IDP_ABOUT_HOVER, TextId::About},
    {IDC_MAIN_MINIMIZE, IDP_MINIMIZE_NORMAL, IDP_MINIMIZE_PRESSED, IDP_MINIMIZE_HOVER, TextId::Minisize},
};

}  // namespace

CVantroDlg::CVantroDlg(bool withSplash) : PaintedDialog(IDD_MAIN_WINDOW) {
  // The settings and the language come first, so that the splash speaks the
  // person's language; reading them takes a moment only.
  LoadSettingsAndLanguage();
  if (withSplash) splash_.Start(DisplayText(TextId::SplashStarting));
  LoadFiles();
}

void CVantroDlg::LoadSettingsAndLanguage() {
  const std::u16string& folder = ProgramFolder();
  SettingsFile settings(folder, SystemDefaultLanguageId());
  settings.LoadOrWriteDefaults(settings_, &firstRun_);
  XmlDocument scratch;
  if (settings.LoadForReading(scratch)) {
    if (const auto language = ReadSetting(scratch, u"Language")) qtr::ApplyLanguage(folder, *language);
  }
}

// The other files of the program folder, in the order the program depends on them.
void CVantroDlg::LoadFiles() {
  const std::u16string& folder = ProgramFolder();
  FileSystem& fs = SystemFileSystem();
  // Selections of folders deleted while the program was not running are dropped.
  SelectionFiles(folder).Prune([&fs](const std::u16string& path) {
    uint32_t attributes = 0;
    return fs.GetAttributes(path, &attributes) == 0;
  });
  InstalledLanguages().Load(LanguageListPath(folder));
  BackupRecord(folder).Ensure();
  InstallProgramDevices(folder, devicesProblem_);
}

void CVantroDlg::ApplyLanguage(const std::u16string& identifier) {
  qtr::ApplyLanguage(ProgramFolder(), identifier);
  ShowTexts();
  if (pageBox_) pageBox_->ShowTexts();
  HistoryWindow().ShowTexts();
}

void CVantroDlg::OpenHistory(uint64_t jobId) {
  OpenHistoryWindow(Handle(), ProgramFolder(), jobId);
}

// The window's texts, the title buttons' tooltips and the tray menu, in the active language.
void CVantroDlg::ShowTexts() {
  for (size_t i = 0; i < titleButtons_.size(); ++i)
    tooltip_.SetText(titleButtons_[i].Handle(), AsWstring(DisplayText(kTitleButtons[i].tip)));
  if (HMENU popup = tray_.Menu() != nullptr ? GetSubMenu(tray_.Menu(), 0) : nullptr) {
    const std::wstring suffix = L" XVQ GUI";
    const std::pair<UINT, std::wstring> items[] = {
        {IDM_TRAY_DISPLAY, AsWstring(DisplayText(TextId::ShowNormal)) + suffix},
        {IDM_TRAY_HISTORY, AsWstring(DisplayText(TextId::HistoryTitle))},
        {IDM_TRAY_HELP, AsWstring(DisplayText(TextId::Help))},
        {IDM_TRAY_ABOUT, AsWstring(DisplayText(TextId::About)) + suffix},
        {IDM_TRAY_QUIT, AsWstring(DisplayText(TextId::Quit)) + suffix},
    };
    for (const auto& [command, text] : items)
      ModifyMenuW(popup, command, MF_BYCOMMAND | MF_STRING, command, text.c_str());
  }
  // Also an icon the shell refused so far: it is added with this tooltip later.
  if (tray_.Icon() != nullptr) tray_.SetIcon(trayIcon_, AsWstring(DisplayText(TextId::Vantro)));
}

bool CVantroDlg::OnInit() {
  // A second start finds the running program by this title.
  SetWindowTextW(Handle(), L"QTR XVQ GUI");
  TraceStep("CVantroDlg::OnInitDialog", 1);
  SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
  ApplyRoundedRegion(Handle());
  // The tray icon stands in for the taskbar button.
  RemoveTaskbarButton(Handle());
  background_.Load(IDP_BACKGROUND);
  frame_.Load(IDP_FRAME);
  pageArea_.Load(IDP_PAGE_AREA);
  logo_.Load(IDP_LOGO);
  CreateTitleButtons();
  TraceStep("CVantroDlg::OnInitDialog", 2);
  const auto big = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 32, 32, LR_SHARED));
  const auto small = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 16, 16, LR_SHARED));
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  tray_.SetRestoreMode((GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_MAXIMIZE) ? CTrayIcon::kRestoreMaximized
                                                                              : CTrayIcon::kRestoreNormal);
  tray_.Attach(Handle());
  tray_.LoadTrayMenu(IDM_TRAY);
  trayIcon_ = small;
  tray_.SetIcon(small, AsWstring(DisplayText(TextId::Vantro)));
  tray_.SetBalloonClick([this](uint64_t jobId) { OpenHistory(jobId); });
  CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, Handle(),
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MAIN_LAST_NOTICE)), GetModuleHandleW(nullptr),
                  nullptr);
  ShowTexts();
  TraceStep("CVantroDlg::OnInitDialog", 3);
  RegisterShellChanges();
  // A description of simulated disks that cannot be used is told once the window is up.
  if (!devicesProblem_.empty()) PostMessageW(Handle(), kDevicesProblemMessage, 0, 0);
  prompter_ = WindowPrompter(Handle());
  CreatePageBox();
  RegisterBackupHotKey();
  // Every minute, from a minute after the start: a simulated clock may pass days in an hour.
  SetTimer(Handle(), kReminderTimer, 60 * 1000, nullptr);
  // Centred on the work area at its final size.
  CentreOver(Handle(), WorkArea());
  return true;
}

void CVantroDlg::CreateTitleButtons() {
  tooltip_.Create(Handle());
  int right = kWidth - 10;
  for (size_t i = 0; i < titleButtons_.size(); ++i) {
    const TitleButton& title = kTitleButtons[i];
    HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, right - 18, 32, 18,
                                  18, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(title.id)),
                                  GetModuleHandleW(nullptr), nullptr);
    titleButtons_[i].Attach(button);
    titleButtons_[i].SetPictures(title.normal, title.pressed, title.hover);
    titleButtons_[i].SetBackground(Surface());
    right -= 20;
  }
}

void CVantroDlg::PaintSurface(HDC surface, const RECT& client) {
  // The window is on the screen: the splash has done its job.
  splash_.RequestClose();
  const int width = client.right, height = client.bottom;
  GdiObject<HBRUSH> grey(CreateSolidBrush(RGB(125, 125, 125)));
  FillRect(surface, &client, grey.Get());
  background_.Draw(surface, 0, 0, width, height);
  frame_.Draw(surface, -3, -3, width + 5, height + 5);
  pageArea_.Draw(surface, 1, 60, pageArea_.Width(), height - 84);
  SetBkMode(surface, TRANSPARENT);
  SetTextColor(surface, RGB(255, 125, 0));
  {
    SelectedObject font(surface, GetStockObject(DEFAULT_GUI_FONT));
    RECT version = {width - 200, height - 20, width - 10, height - 5};
    DrawTextW(surface, L"Demo Ver 1.0", -1, &version, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
  }
  logo_.Draw(surface, 10, 12);
}

bool CVantroDlg::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: captionDrag_.OnMessage(Handle(), message, l); return false;
    case WM_SIZE:
      ApplyRoundedRegion(Handle());  // the region follows the window's size
      return false;
    case kShellChangeMessage:
      OnShellChange(w, l);
      result = TRUE;
      return true;
    case kDevicesProblemMessage:
      prompter_.Ask({DisplayText(TextId::PromptTitle), devicesProblem_, false});
      result = TRUE;
      return true;
    case WM_HOTKEY:
      if (pageBox_) pageBox_->OnHotKey();
      result = TRUE;
      return true;
    case WM_HELP:
      // F1 anywhere in the window: its children pass the request up to here.
      OpenHelp();
      result = TRUE;
      return true;
    case WM_DESTROY:
      if (shellRegistration_ != 0) SHChangeNotifyDeregister(shellRegistration_);
      shellRegistration_ = 0;
      UnregisterHotKey(Handle(), kBackupHotKeyId);
      return false;
    default: return PaintedDialog::OnMessage(message, w, l, result);
  }
}

// Drives, media and folders appearing or going away anywhere under the
// computer's drives folder. Without the registration the trees simply do
// not follow live changes.
void CVantroDlg::RegisterShellChanges() {
  CoTaskMemBlock<PIDLIST_ABSOLUTE> drives;
  if (FAILED(SHGetSpecialFolderLocation(Handle(), CSIDL_DRIVES, drives.Out())) || !drives) return;
  SHChangeNotifyEntry entry{drives.Get(), TRUE};
  shellRegistration_ =
      SHChangeNotifyRegister(Handle(), SHCNRF_ShellLevel, SHCNE_ALLEVENTS, kShellChangeMessage, 1, &entry);
}

void CVantroDlg::OnShellChange(WPARAM w, LPARAM l) {
  if (w == 0) return;
  const auto* items = reinterpret_cast<const PCIDLIST_ABSOLUTE*>(w);
  // A folder deeper than MAX_PATH is named in full: the buffer grows until the path fits.
  const auto pathOf = [](PCIDLIST_ABSOLUTE item) {
    if (item == nullptr) return std::u16string();
    for (DWORD size = MAX_PATH; size <= 32768; size *= 4) {
      std::wstring path(size, L'\0');
      if (SHGetPathFromIDListEx(item, path.data(), size, GPFIDL_DEFAULT)) {
        path.resize(wcslen(path.c_str()));
        return std::u16string(path.begin(), path.end());
      }
    }
    return std::u16string();
  };
  const std::u16string first = pathOf(items[0]);
  const auto event = static_cast<uint32_t>(l);
  // A running job learns that a drive went away, whether or not trees follow the change.
  if ((event == kShellDriveRemoved || event == kShellMediaRemoved) && first.size() >= 2) {
    if (CPropressDlg* running = CurrentProgressWindow()) running->OnTargetRemoved(first.substr(0, 2));
  }
  const std::u16string second = pathOf(items[1]);
  if (!treeSinks_.Empty()) RouteShellChange(event, first, second, treeSinks_);
  if (shellSink_ != nullptr) RouteShellChange(event, first, second, *shellSink_);
}

// The page container from (7, 67) to 7 pixels from the right and 30 from
// the bottom; the File Backup page's trees follow the file system.
void CVantroDlg::CreatePageBox() {
  PageBoxServices services;
  services.programFolder = ProgramFolder();
  services.mainWindow = Handle();
  services.applyLanguage = [this](const std::u16string& identifier) { ApplyLanguage(identifier); };
  services.jobRecorded = [this](const JobRecord& record) { OnJobRecorded(record); };
  services.openHistory = [this] { OpenHistory(0); };
  // A simulated clock beside the program lets a person try the schedule at any minute.
  std::string clockText;
  if (ReadWholeFile(ProgramFolder() + u"simulated-clock.txt", clockText) == 0) {
    if (const auto setting = ParseSimulatedClock(clockText)) {
      const ULONGLONG started = GetTickCount64();
      clock_ = std::make_unique<SimulatedClock>(
          *setting, [started] { return static_cast<int64_t>(GetTickCount64() - started); });
      services.clock = clock_.get();
    }
  }
  pageBox_ = std::make_unique<CPageBox>(services);
  if (!pageBox_->Create(Handle(), 7, 67, firstRun_)) {
    pageBox_.reset();
    return;
  }
  // The File Backup page reads the disks' letters first, so that no tree
  // takes a USB disk's new letter for a local drive. Then the File
  // Management page's two trees, then the File Backup page's; a rename or
  // drop in the first two refreshes all four.
  AddShellChangeSink(&pageBox_->BackUpPage().DriveChanges());
  AddShellChangeSink(&pageBox_->ManagePage().LeftTree());
  AddShellChangeSink(&pageBox_->ManagePage().RightTree());
  pageBox_->ManagePage().SetAllTrees(&treeSinks_);
  AddShellChangeSink(&pageBox_->BackUpPage().SourceTree());
  AddShellChangeSink(&pageBox_->BackUpPage().TargetTree());
  deviceState_.box = pageBox_.get();
  AddShellChangeSink(&deviceState_);
}

void CVantroDlg::Notify(const std::u16string& text, bool warning, uint64_t jobId) {
  SetDlgItemTextW(Handle(), IDC_MAIN_LAST_NOTICE, AsWstring(text).c_str());
  tray_.ShowBalloon(AsWstring(DisplayText(TextId::Vantro)), AsWstring(text), warning, jobId);
}

// While the window is on the screen the progress window and its completion
// message tell the person; a balloon would say it twice.
void CVantroDlg::OnJobRecorded(const JobRecord& record) {
  if (IsWindowVisible(Handle())) return;
  const JobNotice notice = JobNoticeFor(record, ActiveLanguageTable());
  Notify(notice.text, notice.warning, record.id);
}

// The day it was last said is kept in the program folder beside init.xml,
// not in it: the settings file holds only what the person chose, and a
// restart the same day (or a second copy of the program) reads the same day.
void CVantroDlg::CheckReminder() {
  // The first start has nothing to remind of, and says nothing of it.
  if (firstRun_) return;
  const std::u16string& folder = ProgramFolder();
  XmlDocument settings;
  SettingsFile(folder, SystemDefaultLanguageId()).LoadForReading(settings);
  const ReminderFile file(folder);
  const LocalTime now = Clock().Now();
  const bool haveSelection = !ReadPathList(folder + u"backupfullpath.xml").empty();
  const auto due = ReminderDue(history_.Records(), haveSelection, ReminderDaysFrom(settings), now,
                               file.LastShownDay());
  if (!due) return;
  file.SetLastShownDay(DayText(now));
  Notify(due->Text(ActiveLanguageTable()), true, 0);
}

bool CVantroDlg::OnTimer(UINT_PTR id) {
  if (id != kReminderTimer) return false;
  CheckReminder();
  return true;
}

// The stored hotkey starts a backup from anywhere. A combination that
// another program holds stays unregistered; the Setting page tells about
// it when the person chooses one.
void CVantroDlg::RegisterBackupHotKey() {
  XmlDocument settings;
  SettingsFile(ProgramFolder(), SystemDefaultLanguageId()).LoadForReading(settings);
  const HotKeySetting hotKey = ReadHotKey(settings);
  if (hotKey.Registrable()) RegisterHotKey(Handle(), kBackupHotKeyId, hotKey.modifiers, hotKey.virtualKey);
}

// The help viewer opens the help file beside the program; when it cannot be
// started nothing else happens.
void CVantroDlg::OpenHelp() const {
  OpenHelpFile(ProgramFolder());
}

bool CVantroDlg::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDOK:
    case IDCANCEL: return true;  // Enter and Esc never close the window
    case IDC_MAIN_QUIT:
    case IDM_TRAY_QUIT:
      // A question or password prompt open on top ends with the program.
      EndWithNestedModals(IDCANCEL);
      return true;
    case IDC_MAIN_MINIMIZE:
      ShowWindow(Handle(), SW_HIDE);  // the tray icon brings it back
      return true;
    case IDM_TRAY_DISPLAY: ShowWindow(Handle(), SW_SHOW); return true;
    case IDM_TRAY_HISTORY: OpenHistory(0); return true;
    case IDC_MAIN_HELP:
    case IDM_TRAY_HELP: OpenHelp(); return true;
    case IDC_MAIN_ABOUT:
    case IDM_TRAY_ABOUT:
      if (!aboutShown_) {
        aboutShown_ = true;
        CAboutDlg about;
        about.RunModal(Handle());
        aboutShown_ = false;
      }
      return true;
    default: return false;
  }
}

}  // namespace qtr
