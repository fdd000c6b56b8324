#include "pages/BackUpDialog.h"

#include <algorithm>
#include <mutex>

#include "config/LanguageText.h"
#include "devices/DeviceNotification.h"
#include "devices/TargetDisk.h"
#include "pages/PasswordDialogFrame.h"
#include "pages/PasswordSetDlg.h"
#include "pages/PasswordVerficateDlg.h"
#include "platform/WideText.h"
#include "resource.h"
#include "widgets/SelectedObject.h"
#include "widgets/WindowDc.h"

namespace qtr {

CBackUpDialog::CBackUpDialog(std::u16string programFolder, Prompter& prompter, BackUpPageHost* host,
                             DeviceList& devices, EnclosureButton& button)
    : PaintedDialog(IDD_BACKUP_PAGE),
      programFolder_(std::move(programFolder)),
      prompter_(prompter),
      host_(host),
      devices_(devices),
      button_(button),
      changes_(devices, *this, button),
      source_(programFolder_),
      target_(programFolder_) {}

CBackUpDialog::~CBackUpDialog() {
  // The window goes while this object still handles its WM_DESTROY (the
  // base class would destroy it after this part is gone), then the trees
  // let go of their controls.
  if (Handle() != nullptr) DestroyWindow(Handle());
  source_.Detach();
  target_.Detach();
}

bool CBackUpDialog::OnInit() {
  SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowTextW(Handle(), AsWstring(DisplayText(TextId::BackupTitle)).c_str());
  titleFont_.Reset(CreateFontW(-15, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                               L"Tahoma"));
  font_.Reset(CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  for (int id : {IDC_BACKUP_SOURCE_TREE, IDC_BACKUP_TARGET_LIST, IDC_BACKUP_TARGET_TREE, IDC_BACKUP_VERIFY})
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  SetItemText(IDC_BACKUP_VERIFY, AsWstring(DisplayText(TextId::VerifyBackup)));
  Layout();
  InitPage();
  SetTimer(Handle(), kTimerId, kTickMs, nullptr);
  return true;
}

void CBackUpDialog::InitPage() {
  source_.Attach(Item(IDC_BACKUP_SOURCE_TREE));
  target_.Attach(Item(IDC_BACKUP_TARGET_TREE));
  source_.SetTargetTree(&target_);
  target_.SetSourceTree(&source_);
  // Without the registration the page shows no disk at all: a disk it
  // could not follow would stay offered after it left.
  registered_ = RegisterUSBDeviceNotify(Handle());
  if (!registered_) return;
  FillDeviceList(devices_);
  source_.FillComputer(devices_);
  std::vector<CUSBDevice> shown;
  {
    const std::lock_guard lock(devices_.Mutex());
    for (size_t i = 0; i < devices_.Size(); ++i) {
      if (devices_[i].m_partitions.empty()) devices_[i].GetPartitions();
      shown.push_back(devices_[i]);
    }
  }
  for (const CUSBDevice& disk : shown) {
    for (const std::u16string& drive : DriveTexts(disk.m_partitions)) {
      const std::wstring text = AsWstring(drive);
      if (SendMessageW(Item(IDC_BACKUP_TARGET_LIST), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(text.c_str())) == CB_ERR)
        SendMessageW(Item(IDC_BACKUP_TARGET_LIST), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      if (std::find(targetRoots_.begin(), targetRoots_.end(), drive + u"\\") == targetRoots_.end())
        targetRoots_.push_back(drive + u"\\");
    }
    ShowDiskItems(disk);
  }
  source_.ExpandFirstRoot();
  target_.ExpandFirstRoot();
}

void CBackUpDialog::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int width = client.right, height = client.bottom;
  const int margin = 10, top = 42;
  const int sourceWidth = (width - 3 * margin) * 11 / 20;
  const int right = margin + sourceWidth + margin, rightWidth = width - right - margin;
  SetWindowPos(Item(IDC_BACKUP_SOURCE_TREE), nullptr, margin, top, sourceWidth, height - top - margin,
               SWP_NOZORDER);
  // "Verify backup" sits at the right end of the target list's row, as wide
  // as its text in the active language needs; the list takes the rest.
  HWND verify = Item(IDC_BACKUP_VERIFY);
  int verifyWidth = 0;
  {
    const std::wstring text = ItemText(IDC_BACKUP_VERIFY);
    WindowDc dc(verify);
    SelectedObject font(dc.Get(), font_.Get() != nullptr ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    verifyWidth = std::clamp(static_cast<int>(extent.cx) + 24, 72, rightWidth / 2);
  }
  // A drop-down list's height is its open height; the closed box keeps its own.
  HWND list = Item(IDC_BACKUP_TARGET_LIST);
  SetWindowPos(list, nullptr, right, top, rightWidth - verifyWidth - 6, 200, SWP_NOZORDER);
  RECT box{};
  GetWindowRect(list, &box);
  SetWindowPos(verify, nullptr, right + rightWidth - verifyWidth, top, verifyWidth, box.bottom - box.top,
               SWP_NOZORDER);
  const int treeTop = top + (box.bottom - box.top) + 6;
  SetWindowPos(Item(IDC_BACKUP_TARGET_TREE), nullptr, right, treeTop, rightWidth, height - treeTop - margin,
               SWP_NOZORDER);
  InvalidateRect(Handle(), nullptr, FALSE);
}

std::u16string CBackUpDialog::SelectedTarget() const {
  HWND list = Item(IDC_BACKUP_TARGET_LIST);
  const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return {};
  const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return AsU16string(text);
}

int CBackUpDialog::TargetCount() const {
  const LRESULT count = SendMessageW(Item(IDC_BACKUP_TARGET_LIST), CB_GETCOUNT, 0, 0);
  return count == CB_ERR ? 0 : static_cast<int>(count);
}

std::vector<std::u16string> CBackUpDialog::TargetDrives() const {
  std::vector<std::u16string> drives;
  HWND list = Item(IDC_BACKUP_TARGET_LIST);
  for (int i = 0; i < TargetCount(); ++i) {
    wchar_t text[16] = {};
    if (SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) < 16)
      SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    drives.push_back(AsU16string(text));
  }
  return drives;
}

void CBackUpDialog::ClearTargetChoice() {
  SendMessageW(Item(IDC_BACKUP_TARGET_LIST), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  UpdateVerifyButton();
  InvalidateRect(Handle(), nullptr, FALSE);
}

void CBackUpDialog::SetJobRunning(bool running) {
  jobRunning_ = running;
  UpdateVerifyButton();
}

void CBackUpDialog::UpdateVerifyButton() {
  if (Handle() == nullptr) return;
  EnableWindow(Item(IDC_BACKUP_VERIFY), !jobRunning_ && !SelectedTarget().empty() ? TRUE : FALSE);
}

void CBackUpDialog::ShowTexts() {
  if (Handle() == nullptr) return;
  SetItemText(IDC_BACKUP_VERIFY, AsWstring(DisplayText(TextId::VerifyBackup)));
  target_.ShowTexts();
  Layout();
}

void CBackUpDialog::SelectChange() {
  const std::u16string chosen = SelectedTarget();
  if (chosen.empty()) return;
  const TargetDisk disk = FindTargetDisk(devices_, chosen);
  if (disk.locked) {
    // Until its password is accepted the partition is no target, so nothing
    // can start onto it meanwhile; a wrong or cancelled password leaves none.
    ClearTargetChoice();
    target_.DisplayTree(u"");
    DevicesChanged();
    if (!Unlock(disk.path) || !ChooseEntry(chosen)) return;
  }
  target_.DisplayTree(chosen + u"\\");
  UpdateVerifyButton();
  DevicesChanged();
}

bool CBackUpDialog::OnCommand(int id, int code, HWND) {
  if (id == IDC_BACKUP_TARGET_LIST && code == CBN_SELCHANGE) {
    SelectChange();
    return true;
  }
  if (id == IDC_BACKUP_VERIFY && code == BN_CLICKED) {
    if (startVerify_) startVerify_();
    return true;
  }
  // Enter and Esc close no page.
  return id == IDOK || id == IDCANCEL;
}

bool CBackUpDialog::OnTimer(UINT_PTR id) {
  if (id != kTimerId) return false;
  if (host_ != nullptr) host_->OnPageTick();
  return true;
}

bool CBackUpDialog::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  switch (message) {
    case WM_DEVICECHANGE: {
      uint32_t deviceType = 0;
      std::u16string path;
      if (ReadDeviceBroadcast(l, deviceType, path))
        changes_.OnDeviceChange(static_cast<uint32_t>(w), deviceType, path);
      SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, TRUE);
      result = TRUE;
      return true;
    }
    case WM_SIZE: Layout(); return false;
    case WM_DESTROY:
      KillTimer(Handle(), kTimerId);
      if (registered_ && RegisteredDeviceWindow() == Handle()) UnregisterUSBDeviceNotify();
      registered_ = false;
      button_.Stop();
      return false;
    default: return PaintedDialog::OnMessage(message, w, l, result);
  }
}

void CBackUpDialog::PaintSurface(HDC dc, const RECT& client) {
  GdiObject<HBRUSH> body(CreateSolidBrush(RGB(248, 250, 252)));
  GdiObject<HBRUSH> rule(CreateSolidBrush(RGB(47, 120, 184)));
  FillRect(dc, &client, body.Get());
  const std::wstring title = AsWstring(DisplayText(TextId::BackupTitle));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(30, 60, 100));
  {
    SelectedObject font(dc, titleFont_.Get());
    RECT where = {12, 6, client.right - 12, 30};
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &where,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  }
  // A rule under the title, the width of the two columns.
  RECT line = {10, 32, client.right - 10, 34};
  FillRect(dc, &line, rule.Get());
}

void CBackUpDialog::AddTargetDrive(const std::u16string& drive) {
  HWND list = Item(IDC_BACKUP_TARGET_LIST);
  const std::wstring text = AsWstring(drive);
  if (SendMessageW(list, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str())) ==
      CB_ERR)
    SendMessageW(list, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (std::find(targetRoots_.begin(), targetRoots_.end(), drive + u"\\") == targetRoots_.end())
    targetRoots_.push_back(drive + u"\\");
}

void CBackUpDialog::RemoveTargetDrive(const std::u16string& drive) {
  HWND list = Item(IDC_BACKUP_TARGET_LIST);
  const std::wstring text = AsWstring(drive);
  const LRESULT index =
      SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (index != CB_ERR) {
    const bool chosen = SendMessageW(list, CB_GETCURSEL, 0, 0) == index;
    SendMessageW(list, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    if (chosen) ClearTargetChoice();
  }
  std::erase(targetRoots_, drive + u"\\");
  // The target tree shows nothing of a partition that is no choice any more.
  const std::u16string shown = target_.TargetRoot();
  if (shown.size() >= 2 && (shown[0] | 0x20) == (drive[0] | 0x20)) target_.DisplayTree(u"");
}

void CBackUpDialog::ShowDiskItems(const CUSBDevice& disk) {
  source_.InsertDiskItem(disk);
  target_.InsertDiskItem(disk);
}

void CBackUpDialog::RemoveDiskItems(uint32_t deviceNumber) {
  source_.RemoveDiskItem(deviceNumber);
  target_.RemoveDiskItem(deviceNumber);
}

void CBackUpDialog::RefillManagementTrees() {
  if (refillManagement_) refillManagement_();
}

HWND CBackUpDialog::DialogOwner() const {
  HWND root = GetAncestor(Handle(), GA_ROOT);
  return root != nullptr ? root : Handle();
}

bool CBackUpDialog::ChooseEntry(const std::u16string& drive) {
  HWND list = Item(IDC_BACKUP_TARGET_LIST);
  const std::wstring text = AsWstring(drive);
  const LRESULT index =
      SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  if (index == CB_ERR) return false;
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  return true;
}

void CBackUpDialog::OpenPasswordSet(const std::u16string& path) {
  if (std::find(askingPasswordOf_.begin(), askingPasswordOf_.end(), path) != askingPasswordOf_.end()) return;
  askingPasswordOf_.push_back(path);
  CPasswordSetDlg dialog(prompter_, &devices_, path, false);
  dialog.RunModal(DialogOwner());
  std::erase(askingPasswordOf_, path);
  ShowLockState(path);
}

void CBackUpDialog::AskPassword(const std::u16string& path) {
  Unlock(path);
}

bool CBackUpDialog::Unlock(const std::u16string& path) {
  // One prompt per disk: choosing its partition again while it asks opens no second one.
  if (std::find(askingPasswordOf_.begin(), askingPasswordOf_.end(), path) != askingPasswordOf_.end())
    return false;
  askingPasswordOf_.push_back(path);
  PasswordVerficateDlg dialog(devices_, path);
  const bool open = dialog.RunModal(DialogOwner()) == IDOK;
  std::erase(askingPasswordOf_, path);
  ShowLockState(path);
  return open;
}

bool CBackUpDialog::ShowLockState(const std::u16string& path, bool* lockedNow) {
  uint32_t number = 0;
  bool locked = false;
  {
    const std::lock_guard lock(devices_.Mutex());
    const CUSBDevice* disk = devices_.At(devices_.FindByPath(path));
    if (disk == nullptr) return false;
    number = disk->m_deviceNumber;
    locked = HasPassword(disk->m_passwordRecord) && disk->m_unlocked == 0;
  }
  if (lockedNow != nullptr) *lockedNow = locked;
  const int chosen = static_cast<int>(number);
  if (locked) {
    if (source_.m_selectedDisk == chosen) source_.UnselectDisk();
    if (target_.m_selectedDisk == chosen) target_.UnselectDisk();
  }
  source_.ShowDiskLock(number, locked, target_.m_selectedDisk == chosen);
  target_.ShowDiskLock(number, locked, source_.m_selectedDisk == chosen);
  return true;
}

void CBackUpDialog::PasswordCommandDone(const std::u16string& path) {
  bool locked = false;
  if (!ShowLockState(path, &locked)) return;
  const std::u16string chosen = SelectedTarget();
  if (locked && !chosen.empty() && FindTargetDisk(devices_, chosen).path == path) {
    ClearTargetChoice();
    target_.DisplayTree(u"");
  }
  DevicesChanged();
}

void CBackUpDialog::DiskRemoved() {
  if (host_ != nullptr) host_->OnDiskRemoved();
}

void CBackUpDialog::DevicesChanged() {
  if (host_ != nullptr) host_->ApplyDeviceState();
}

}  // namespace qtr
