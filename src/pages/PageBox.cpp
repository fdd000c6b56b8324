#include "pages/PageBox.h"

#include <commctrl.h>

#include "config/BackupPassword.h"
#include "config/LanguageText.h"
#include "config/SettingsFile.h"
#include "config/SystemLanguage.h"
#include "devices/PasswordRecord.h"
#include "devices/TargetDisk.h"
#include "engine/StoreLayout.h"
#include "pages/PasswordSetDlg.h"
#include "pages/StoreKeyDialogs.h"
#include "platform/UserDataProtection.h"
#include "ui/BackupHandOver.h"
#include "ui/DiskCopyChecks.h"
#include "ui/JobHandOver.h"
#include "resource.h"
#include "trees/TreeItems.h"

namespace qtr {
namespace {

struct PageButtonPlace {
  int id;
  UINT picture;
  TextId text;
  int top;
};

// In slot order; 13 pixels below Quick Activate, then 12 pixels apart.
constexpr PageButtonPlace kPageButtons[] = {
    {IDC_PAGEBOX_QUICK_PAGE, IDP_PAGE_QUICK, TextId::QuickActive, 10},
    {IDC_PAGEBOX_BACKUP_PAGE, IDP_PAGE_BACKUP, TextId::Backup, 83},
    {IDC_PAGEBOX_MANAGE_PAGE, IDP_PAGE_MANAGE, TextId::Manage, 155},
    {IDC_PAGEBOX_SET_PAGE, IDP_PAGE_SET, TextId::Set, 227},
};

struct BottomButtonPlace {
  int id;
  UINT normal, pressed, hover;
  TextId tip;
};

// Right to left along the bottom edge.
constexpr BottomButtonPlace kBottomButtons[] = {
    {IDC_PAGEBOX_MINIMIZE, IDP_PAGEBOX_MINIMIZE_NORMAL, IDP_PAGEBOX_MINIMIZE_PRESSED,
     IDP_PAGEBOX_MINIMIZE_HOVER, TextId::Minisize},
    {IDC_PAGEBOX_RESTORE, IDP_PAGEBOX_RESTORE_NORMAL, IDP_PAGEBOX_RESTORE_PRESSED, IDP_PAGEBOX_RESTORE_HOVER,
     TextId::Revert},
    {IDC_PAGEBOX_BACKUP, IDP_PAGEBOX_BACKUP_NORMAL, IDP_PAGEBOX_BACKUP_PRESSED, IDP_PAGEBOX_BACKUP_HOVER,
     TextId::BackupTip},
};

}  // namespace

CPageBox::CPageBox(const PageBoxServices& services)
    : PaintedDialog(IDD_PAGE_BOX),
      programFolder_(services.programFolder),
      mainWindow_(services.mainWindow),
      windowPrompter_(services.mainWindow),
      prompter_(services.prompter != nullptr ? services.prompter : &windowPrompter_),
      ownQuestions_(services.prompter == nullptr),
      fs_(services.fs != nullptr ? *services.fs : SystemFileSystem()),
      power_(services.power != nullptr ? *services.power : SystemPowerControl()),
      clock_(services.clock != nullptr ? *services.clock : SystemLocalClock()),
      devices_(services.devices != nullptr ? *services.devices : DeviceList::Process()),
      button_(services.button != nullptr ? *services.button : EnclosureButton::Process()),
      jobRecorded_(services.jobRecorded),
      quick_(
          services.programFolder, [this] { sequence_.QuickLaunch(); }, [this] { return job_ != nullptr; }),
      backUp_(services.programFolder, *prompter_, this, devices_, button_),
      manage_(services.programFolder, *prompter_, devices_) {
  SettingsHost host;
  host.programFolder = programFolder_;
  host.hotKeyWindow = mainWindow_;
  host.prompter = prompter_;
  host.applyLanguage = services.applyLanguage;
  host.openHistory = services.openHistory;
  host.systemFolderChanged = [this](std::u16string_view, bool) {
    backUp_.SourceTree().ReadSystemFolderSwitches();
    manage_.ReadSystemFolderSwitches();
    // An open C: shows or hides the folder at once; its ticks are kept.
    backUp_.SourceTree().RefreshFolder(u"C:\\");
    manage_.LeftTree().RefreshFolder(u"C:\\");
    manage_.RightTree().RefreshFolder(u"C:\\");
  };
  host.openPasswordDialog = [this](HWND owner) {
    // Not for a disk: the backup password, kept beside the program for this Windows user.
    BackupPassword kept(SystemFileSystem(), SystemUserDataProtection(), programFolder_);
    CPasswordSetDlg dialog(*prompter_, kept, false);
    dialog.RunModal(owner);
  };
  host.haveDisks = [this] { return !devices_.Empty(); };
  host.enclosureButton = &button_;
  set_ = std::make_unique<CSetDialog>(host);
}

CPageBox::~CPageBox() {
  // The job's worker ends before the pages it reports to.
  job_.reset();
}

bool CPageBox::Create(HWND parent, int x, int y, bool firstRun) {
  firstRun_ = firstRun;
  if (!CreateModeless(parent)) return false;
  SetWindowPos(Handle(), nullptr, x, y, kWidth, kHeight, SWP_NOZORDER | SWP_SHOWWINDOW);
  return true;
}

RECT CPageBox::PageArea() const {
  return RECT{79, 8, kWidth - 7, kHeight - 40};
}

bool CPageBox::OnInit() {
  SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
  body_.Load(IDP_PAGEBOX_BODY);
  column_.Load(IDP_PAGEBOX_COLUMN);
  band_.Load(IDP_PAGEBOX_BAND);
  pageFont_.Reset(CreateFontW(-12, 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"\u5b8b\u4f53"));
  CreateButtons();
  CreatePages();
  ShowTexts();
  // A first run opens where a selection is made; later starts on the one-click page.
  const int first = firstRun_ ? kBackUpSlot : kQuickSlot;
  current_ = first;
  ShowWindow(slots_[static_cast<size_t>(first)], SW_SHOW);
  for (size_t i = 0; i < pageButtons_.size(); ++i) pageButtons_[i].SetSelected(static_cast<int>(i) == first);
  UpdateBottomButtons();
  ApplyDeviceState();
  return true;
}

void CPageBox::CreateButtons() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  tooltip_.Create(Handle());
  for (size_t i = 0; i < pageButtons_.size(); ++i) {
    const PageButtonPlace& place = kPageButtons[i];
    HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 8, place.top, 60, 60, Handle(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)), instance, nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(pageFont_.Get()), FALSE);
    pageButtons_[i].Attach(button, place.picture, Surface());
  }
  int right = kWidth - 8;
  for (size_t i = 0; i < bottomButtons_.size(); ++i) {
    const BottomButtonPlace& place = kBottomButtons[i];
    HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, right - 32,
                                  kHeight - 8 - 32, 32, 32, Handle(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)), instance, nullptr);
    bottomButtons_[i].Attach(button);
    bottomButtons_[i].SetPictures(place.normal, place.pressed, place.hover);
    bottomButtons_[i].SetBackground(Surface());
    right -= 32 + 16;
  }
}

void CPageBox::CreatePages() {
  const RECT area = PageArea();
  const auto place = [&](HWND page) {
    SetWindowPos(page, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  };
  quick_.CreateModeless(Handle());
  place(quick_.Handle());
  backUp_.CreateModeless(Handle());
  place(backUp_.Handle());
  manage_.SetTargetReset([this](const std::u16string& diskPath) { backUp_.PasswordCommandDone(diskPath); });
  backUp_.SetManagementRefill([this] { manage_.Refill(); });
  backUp_.SetVerifyStart([this] { sequence_.StartVerify(); });
  manage_.CreateModeless(Handle());
  place(manage_.Handle());
  set_->Create(Handle(), area);
  place(set_->Handle());
  slots_ = {quick_.Handle(), backUp_.Handle(), manage_.Handle(), set_->Handle()};
}

void CPageBox::ShowTexts() {
  for (size_t i = 0; i < pageButtons_.size(); ++i) {
    SetWindowTextW(pageButtons_[i].Handle(), AsWstring(DisplayText(kPageButtons[i].text)).c_str());
    InvalidateRect(pageButtons_[i].Handle(), nullptr, FALSE);
  }
  for (size_t i = 0; i < bottomButtons_.size(); ++i)
    tooltip_.SetText(bottomButtons_[i].Handle(), AsWstring(DisplayText(kBottomButtons[i].tip)));
  quick_.ShowTexts();
  backUp_.ShowTexts();
  manage_.ShowTexts();
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void CPageBox::SwitchToSlot(int slot) {
  if (slot < 0 || slot > 3) return;
  if (slot == current_) {
    // A job's window asked for its slot: it is shown again.
    ShowWindow(slots_[static_cast<size_t>(slot)], SW_SHOW);
    return;
  }
  ShowWindow(slots_[static_cast<size_t>(current_)], SW_HIDE);
  pageButtons_[static_cast<size_t>(current_)].SetSelected(false);
  current_ = slot;
  ShowWindow(slots_[static_cast<size_t>(slot)], SW_SHOW);
  pageButtons_[static_cast<size_t>(slot)].SetSelected(true);
  UpdateBottomButtons();
  InvalidateRect(Handle(), nullptr, FALSE);
}

void CPageBox::UpdateBottomButtons() {
  HWND backup = GetDlgItem(Handle(), IDC_PAGEBOX_BACKUP);
  HWND restore = GetDlgItem(Handle(), IDC_PAGEBOX_RESTORE);
  if (current_ == kBackUpSlot && slots_[kBackUpSlot] != backUp_.Handle()) return;  // a job holds the slot
  const bool show = current_ == kBackUpSlot && !state_.quickLaunch;
  ShowWindow(backup, show ? SW_SHOW : SW_HIDE);
  ShowWindow(restore, show ? SW_SHOW : SW_HIDE);
}

void CPageBox::EnablePageButtons(bool enable) {
  for (PageButton& button : pageButtons_) EnableWindow(button.Handle(), enable ? TRUE : FALSE);
  backUp_.SetJobRunning(!enable);
}

// The launch button, Backup and Restore follow what can be a target.
void CPageBox::ApplyDeviceState() {
  HWND backup = GetDlgItem(Handle(), IDC_PAGEBOX_BACKUP);
  HWND restore = GetDlgItem(Handle(), IDC_PAGEBOX_RESTORE);
  if (backUp_.TargetCount() > 0) {
    quick_.EnableLaunch(true);
    EnableWindow(backup, TRUE);
    EnableWindow(restore, TRUE);
    return;
  }
  backUp_.ClearTargetChoice();
  quick_.EnableLaunch(false);
  EnableWindow(restore, FALSE);
  // A whole disk in the target tree still allows a disk copy.
  const auto items = SendMessageW(backUp_.TargetTree().Handle(), TVM_GETCOUNT, 0, 0);
  EnableWindow(backup, items > 1 ? TRUE : FALSE);
}

void CPageBox::OnDiskRemoved() {
  // The disk a pending start asks about may be the one that went.
  if (openConfirmation_ != nullptr) openConfirmation_->EndModal(IDCANCEL);
}

bool CPageBox::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDOK:
    case IDCANCEL: return true;
    case IDC_PAGEBOX_QUICK_PAGE: SwitchToSlot(kQuickSlot); return true;
    case IDC_PAGEBOX_BACKUP_PAGE: SwitchToSlot(kBackUpSlot); return true;
    case IDC_PAGEBOX_MANAGE_PAGE: SwitchToSlot(kManageSlot); return true;
    case IDC_PAGEBOX_SET_PAGE: SwitchToSlot(kSetSlot); return true;
    case IDC_PAGEBOX_MINIMIZE:
      if (mainWindow_ != nullptr) ShowWindow(mainWindow_, SW_HIDE);
      return true;
    case IDC_PAGEBOX_BACKUP: sequence_.StartBackup(); return true;
    case IDC_PAGEBOX_RESTORE: sequence_.StartRestore(); return true;
    default: return false;
  }
}

bool CPageBox::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  switch (message) {
    case kJobEndedMessage:
      JobCancelled();
      result = TRUE;
      return true;
    case kJobClosedMessage:
      CompleteJob();
      result = TRUE;
      return true;
    default: return PaintedDialog::OnMessage(message, w, l, result);
  }
}

void CPageBox::PaintSurface(HDC dc, const RECT& client) {
  GdiObject<HBRUSH> body(CreateSolidBrush(RGB(240, 244, 249)));
  FillRect(dc, &client, body.Get());
  body_.Draw(dc, 0, 0, client.right, client.bottom);
  column_.Draw(dc, 0, 0, 76, client.bottom);
  band_.Draw(dc, 0, client.bottom - 36, client.right, 36);
}

// ---- start sequences ----

bool CPageBox::TargetRootUnchecked() {
  return backUp_.TargetTree().PartitionState() == kStateUnchecked;
}

bool CPageBox::MakeSureOn() {
  XmlDocument settings;
  LoadSettings(settings);
  return SettingIsOn(settings, u"MakeSure");
}

void CPageBox::LoadSettings(XmlDocument& settings) {
  SettingsFile(programFolder_, SystemDefaultLanguageId()).LoadForReading(settings);
}

bool CPageBox::TargetLocked() {
  return FindTargetDisk(devices_, backUp_.SelectedTarget()).locked;
}

bool CPageBox::DiskLocked(int deviceNumber) {
  if (deviceNumber < 0) return false;
  const std::lock_guard lock(devices_.Mutex());
  const CUSBDevice* disk = devices_.At(devices_.FindByDeviceNumber(static_cast<uint32_t>(deviceNumber)));
  return disk != nullptr && HasPassword(disk->m_passwordRecord) && disk->m_unlocked == 0;
}

std::u16string CPageBox::DiskNameOfDrive(const std::u16string& drive) {
  if (drive.size() != 2) return {};
  const std::lock_guard lock(devices_.Mutex());
  for (size_t i = 0; i < devices_.Size(); ++i)
    if (devices_[i].m_partitions.find(drive) != std::u16string::npos)
      return CollapsedDiskName(devices_[i].m_displayName);
  return {};
}

std::u16string CPageBox::DiskName(int deviceNumber) {
  if (deviceNumber < 0) return {};
  const std::lock_guard lock(devices_.Mutex());
  const CUSBDevice* disk = devices_.At(devices_.FindByDeviceNumber(static_cast<uint32_t>(deviceNumber)));
  return disk != nullptr ? disk->m_displayName : std::u16string();
}

bool CPageBox::ShowConfirmation(const Question& question, bool personOnly) {
  if (!ownQuestions_) return prompter_->Ask(question);
  CMakeSureDlg dialog(question, mainWindow_, AsWstring(DisplayText(TextId::OK)),
                      AsWstring(DisplayText(TextId::Cancel)));
  openConfirmation_ = &dialog;
  openConfirmationPersonOnly_ = personOnly;
  const INT_PTR answer = dialog.RunModal(mainWindow_ != nullptr ? mainWindow_ : Handle());
  openConfirmation_ = nullptr;
  openConfirmationPersonOnly_ = false;
  return answer == IDOK;
}

bool CPageBox::ConfirmOpenQuestion() {
  if (openConfirmation_ == nullptr || openConfirmationPersonOnly_) return false;
  openConfirmation_->CloseAsConfirmed();
  return true;
}

CopyStartCheck CPageBox::CheckDiskCopy(int sourceNumber, int targetNumber) {
  if (sourceNumber < 0 || targetNumber < 0) return {};
  return CheckDiskCopyStart(devices_, static_cast<uint32_t>(sourceNumber),
                            static_cast<uint32_t>(targetNumber));
}

void CPageBox::ShowMainWindow() {
  if (mainWindow_ == nullptr) return;
  shownAtOutsideStart_ = IsWindowVisible(mainWindow_) != FALSE;
  ShowWindow(mainWindow_, SW_SHOW);
}

bool CPageBox::HandOver(const JobStart& start) {
  if (job_) return false;
  InvalidateRect(Handle(), nullptr, FALSE);
  EnablePageButtons(false);
  XmlDocument init;
  if (start.kind == JobStart::Kind::Backup) LoadSettings(init);
  const HandOverPlan plan = PlanHandOver(start, SettingIsOn(init, u"SetPassword"));
  JobWindowSettings settings = WindowSettingsFor(start, plan);
  // A copy's target is a whole disk, named as the question before it named it.
  settings.diskName =
      plan.diskCopy ? ShownDiskName(DiskName(TargetDisk()), TargetDisk()) : DiskNameOfDrive(start.target);
  if (!AskBeforeJob(start, plan, settings)) {
    EnablePageButtons(true);
    return false;
  }
  PrepareJob(start, plan, init, settings);
  return ShowJobWindow(settings, plan.quickSlot ? kQuickSlot : kBackUpSlot);
}

JobWindowSettings CPageBox::WindowSettingsFor(const JobStart& start, const HandOverPlan& plan) const {
  JobWindowSettings settings;
  settings.programFolder = programFolder_;
  settings.target = start.target;
  settings.pageFlag = plan.quickSlot ? 1 : 0;
  settings.backup = plan.backup;
  settings.verify = plan.verify;
  settings.diskCopy = plan.diskCopy;
  if (plan.diskCopy) {
    settings.sourceDisk = start.sourceIndex;
    settings.targetDisk = start.targetIndex;
  }
  settings.caption = plan.caption;
  settings.trigger = start.trigger;
  // The hotkey and the enclosure button show the window as they start; whether
  // somebody is watching is what the window was before.
  const bool outside = start.trigger == JobTrigger::kHotKey || start.trigger == JobTrigger::kEnclosureButton;
  const bool shown = outside ? shownAtOutsideStart_ : IsWindowVisible(GetAncestor(Handle(), GA_ROOT)) != FALSE;
  settings.personWatching =
      start.trigger == JobTrigger::kButton || start.trigger == JobTrigger::kQuickActivate || shown;
  settings.clock = &clock_;
  return settings;
}

bool CPageBox::AskBeforeJob(const JobStart& start, const HandOverPlan& plan, JobWindowSettings& settings) {
  if (plan.storeKey) {
    StoreKeyOutcome key =
        AskStoreKey(mainWindow_ != nullptr ? mainWindow_ : Handle(), *prompter_, fs_, programFolder_,
                    start.target, *plan.storeKey, !start.unattended, ReadHeaderKeyParameters);
    if (key.key) settings.storeKey = std::make_shared<const StoreKey>(std::move(*key.key));
    return key.Proceeds();
  }
  if (plan.askReadable) {
    const ReadableCopies readable = AskReadableCopies(fs_, start.target, *prompter_, start.unattended);
    settings.storeReadable = readable == ReadableCopies::Agreed;
    return readable != ReadableCopies::Refused;
  }
  return true;
}

void CPageBox::PrepareJob(const JobStart& start, const HandOverPlan& plan, XmlDocument& init,
                          JobWindowSettings& settings) {
  if (plan.prepareBackup) {
    RecordBackupStart(programFolder_, clock_.Now());
    ApplyStoreVisibility(fs_, init, start.target);
    settings.typeFilter = set_->FileTypeFilter();
  }
  if (plan.writeRestoreSelection) backUp_.TargetTree().WriteRestoreSelection();
}

bool CPageBox::ShowJobWindow(const JobWindowSettings& settings, int slot) {
  job_ = std::make_unique<CPropressDlg>(settings, fs_, *prompter_, static_cast<JobWindowHost&>(*this));
  if (!job_->CreateModeless(Handle())) {
    job_.reset();
    EnablePageButtons(true);
    return false;
  }
  const RECT area = PageArea();
  SetWindowPos(job_->Handle(), HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOACTIVATE);
  ShowWindow(slots_[static_cast<size_t>(slot)], SW_HIDE);
  slots_[static_cast<size_t>(slot)] = job_->Handle();
  ShowWindow(GetDlgItem(Handle(), IDC_PAGEBOX_BACKUP), SW_HIDE);
  ShowWindow(GetDlgItem(Handle(), IDC_PAGEBOX_RESTORE), SW_HIDE);
  if (state_.triggerKind == TriggerKind::Scheduled) SwitchToSlot(kBackUpSlot);
  if (current_ == slot) ShowWindow(job_->Handle(), SW_SHOW);
  return true;
}

// ---- the end of a job ----

void CPageBox::RefreshTrees(const std::u16string& target, const std::vector<std::u16string>& restoreRoots) {
  if (!target.empty()) backUp_.TargetTree().RefreshPath(target + u"\\");
  for (const std::u16string& root : restoreRoots) backUp_.SourceTree().RefreshFolder(root);
}

// The window's own handler is still running: it goes once that has returned.
void CPageBox::JobStopped(CPropressDlg&) {
  PostMessageW(Handle(), kJobEndedMessage, 0, 0);
}
void CPageBox::JobClosed(CPropressDlg&) {
  PostMessageW(Handle(), kJobClosedMessage, 0, 0);
}

void CPageBox::PutPageBack(int slot) {
  HWND page = slot == kQuickSlot ? quick_.Handle() : backUp_.Handle();
  slots_[static_cast<size_t>(slot)] = page;
  if (current_ == slot) ShowWindow(page, SW_SHOW);
}

// A failed disk copy says which of its disks went away.
void CPageBox::ReportRemovedDisks() {
  if (!job_ || !job_->Settings().diskCopy || job_->DiskCopy().success.load() != 0) return;
  if (backUp_.SourceTree().m_diskRemoved != 0) {
    backUp_.SourceTree().m_diskRemoved = 0;
    prompter_->Ask({DisplayText(TextId::PromptTitle), u"the sourceDisk remove", false});
  }
  if (backUp_.TargetTree().m_diskRemoved != 0) {
    backUp_.TargetTree().m_diskRemoved = 0;
    prompter_->Ask({DisplayText(TextId::PromptTitle), u"the distDisk remove", false});
  }
}

void CPageBox::JobCancelled() {
  if (!job_) return;
  ReportRemovedDisks();
  const bool quickLaunch = job_->Settings().pageFlag == 1;
  job_.reset();
  EnablePageButtons(true);
  const TriggerKind kind = state_.triggerKind;
  state_.EndJob();
  SetCurrentDirectoryW(AsWstring(programFolder_).c_str());
  if (quickLaunch) {
    state_.quickLaunch = false;
    PutPageBack(kQuickSlot);
    UpdateBottomButtons();
    SetFocus(quick_.LaunchButton());
  } else {
    PutPageBack(kBackUpSlot);
    UpdateBottomButtons();
    quick_.EnableLaunch(true);
    if (kind == TriggerKind::Backup) SetFocus(GetDlgItem(Handle(), IDC_PAGEBOX_BACKUP));
    if (kind == TriggerKind::Restore) SetFocus(GetDlgItem(Handle(), IDC_PAGEBOX_RESTORE));
  }
  ApplyDeviceState();
  // The Quick Activate page tells that the backup did not finish.
  InvalidateRect(quick_.Handle(), nullptr, FALSE);
  InvalidateRect(Handle(), nullptr, FALSE);
}

void CPageBox::CompleteJob() {
  if (!job_) return;
  ReportRemovedDisks();
  const JobWindowSettings settings = job_->Settings();
  if (settings.verify) {
    // A verify has no completion action: the page comes back, nothing else happens.
    EnablePageButtons(true);
    job_.reset();
    state_.EndJob();
    PutPageBack(kBackUpSlot);
    quick_.EnableLaunch(true);
    UpdateBottomButtons();
    ApplyDeviceState();
    SetCurrentDirectoryW(AsWstring(programFolder_).c_str());
    SetFocus(backUp_.Item(IDC_BACKUP_VERIFY));
    InvalidateRect(Handle(), nullptr, FALSE);
    return;
  }
  const JobEnd end = !settings.backup         ? JobEnd::Restore
                     : settings.pageFlag == 1 ? JobEnd::QuickLaunch
                                              : JobEnd::Backup;
  XmlDocument init;
  LoadSettings(init);
  const CompletionPlan plan =
      PlanCompletion(end, end == JobEnd::Restore ? std::nullopt : ReadSetting(init, u"BackupFinish"));
  // The privilege is asked for only when the system is to be asked.
  if (plan.power != PowerRequest::None) power_.EnableShutdownPrivilege();
  EnablePageButtons(true);
  job_.reset();
  state_.EndJob();
  if (end == JobEnd::QuickLaunch) {
    state_.quickLaunch = false;
    PutPageBack(kQuickSlot);
  } else {
    PutPageBack(kBackUpSlot);
    quick_.EnableLaunch(true);
  }
  UpdateBottomButtons();
  if (plan.switchToQuick) SwitchToSlot(kQuickSlot);
  ApplyDeviceState();
  if (plan.power != PowerRequest::None) power_.Request(plan.power, plan.reason);
  SetCurrentDirectoryW(AsWstring(programFolder_).c_str());
  if (end == JobEnd::Backup) SetFocus(GetDlgItem(Handle(), IDC_PAGEBOX_BACKUP));
  if (end == JobEnd::Restore) SetFocus(GetDlgItem(Handle(), IDC_PAGEBOX_RESTORE));
  // The Quick Activate page shows the new last backup time.
  InvalidateRect(quick_.Handle(), nullptr, FALSE);
  InvalidateRect(Handle(), nullptr, FALSE);
}

}  // namespace qtr
