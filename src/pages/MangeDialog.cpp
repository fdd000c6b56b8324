#include "pages/MangeDialog.h"

#include <mutex>

#include "config/LanguageText.h"
#include "devices/DeviceList.h"
#include "devices/PasswordRecord.h"
#include "engine/JobText.h"
#include "engine/StoreLayout.h"
#include "engine/StoredRename.h"
#include "pages/PasswordSetDlg.h"
#include "pages/PasswordVerficateDlg.h"
#include "pages/StoreKeyDialogs.h"
#include "platform/Handles.h"
#include "resource.h"
#include "ui/Prompter.h"

namespace qtr {

CMangeDialog::CMangeDialog(std::u16string programFolder, Prompter& prompter, DeviceList& devices)
    : PaintedDialog(IDD_MANAGE_PAGE),
      programFolder_(programFolder),
      prompter_(prompter),
      devices_(devices),
      left_(programFolder, devices),
      right_(programFolder, devices) {}

CMangeDialog::~CMangeDialog() {
  leftDrop_.Revoke();
  rightDrop_.Revoke();
}

bool CMangeDialog::OnInit() {
  ShowTexts();
  for (CManageTreeCtrl* tree : {&left_, &right_}) {
    tree->SetHost(this);
    // A refused new name is told in the program's own message window.
    tree->SetMessageSink([this](const std::u16string& text) {
      prompter_.Ask({DisplayText(TextId::RenameTitle), text, false});
    });
    // An encrypted stored file stays bound to the path it was written for:
    // renamed here, with the store's key, its store records the new name,
    // so that a restore tells this rename from a file moved by anyone else.
    // A folder of such a store takes its files' records with it.
    tree->SetStoredRename([this](const std::u16string& from, const std::u16string& to) {
      if (!IsStoredFilePath(from)) return false;
      const std::u16string target = from.substr(0, 2);
      FileSystem& fs = SystemFileSystem();
      uint32_t attributes = 0;
      const bool folder = fs.GetAttributes(from, &attributes) == 0 && (attributes & kAttributeDirectory) != 0;
      if (!(folder ? StoreHasKeyCheck(fs, StoreRootOf(target)) : EndsWithNoCase(from, kEncryptedSuffix)))
        return false;
      const StoreKeyOutcome key =
          AskStoreKey(Handle(), prompter_, fs, programFolder_, target, StoreKeyUse::kRestore, true,
                      ReadHeaderKeyParameters);
      if (!key.Proceeds()) return true;
      if (const uint32_t error =
              RenameStoredFile(fs, StoreRootOf(target), key.key ? &*key.key : nullptr, from, to);
          error != 0)
        prompter_.Ask({DisplayText(TextId::RenameTitle), from + u"\r\n" + ErrorText(error), false});
      return true;
    });
  }
  left_.Attach(Item(IDC_MANAGE_LEFT_TREE));
  right_.Attach(Item(IDC_MANAGE_RIGHT_TREE));
  Refill();
  leftDrop_.Register();
  rightDrop_.Register();
  Layout();
  return true;
}

void CMangeDialog::SetAllTrees(ShellChangeSink* trees) {
  left_.SetAllTrees(trees);
  right_.SetAllTrees(trees);
}

void CMangeDialog::Refill() {
  left_.FillComputer();
  right_.FillComputer();
}

void CMangeDialog::ReadSystemFolderSwitches() {
  left_.Filter().ReadSwitches(programFolder_ + u"init.xml");
  right_.Filter().ReadSwitches(programFolder_ + u"init.xml");
}

void CMangeDialog::ShowTexts() {
  const std::u16string title = DisplayText(TextId::Manage);
  SetItemText(IDC_MANAGE_TITLE, std::wstring(title.begin(), title.end()));
}

bool CMangeDialog::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  if (message == WM_SIZE) Layout();
  // OLE holds the drop targets until they are revoked, which needs the trees' windows.
  if (message == WM_DESTROY) {
    leftDrop_.Revoke();
    rightDrop_.Revoke();
  }
  return PaintedDialog::OnMessage(message, w, l, result);
}

// The heading above, the two trees below it, each half of the width.
void CMangeDialog::Layout() {
  RECT client{};
  GetClientRect(Handle(), &client);
  constexpr int kMargin = 10, kTop = 34, kGap = 10;
  const int width = (client.right - 2 * kMargin - kGap) / 2;
  const int height = client.bottom - kTop - kMargin;
  if (width <= 0 || height <= 0) return;
  // The heading lies wholly above the trees, whose border would cut it.
  MoveWindow(Item(IDC_MANAGE_TITLE), kMargin, 10, client.right - 2 * kMargin, kTop - 10 - 4, TRUE);
  MoveWindow(left_.Handle(), kMargin, kTop, width, height, TRUE);
  MoveWindow(right_.Handle(), kMargin + width + kGap, kTop, width, height, TRUE);
}

void CMangeDialog::PaintSurface(HDC dc, const RECT& client) {
  GdiObject<HBRUSH> body(CreateSolidBrush(RGB(255, 255, 255)));
  FillRect(dc, &client, body.Get());
}

bool CMangeDialog::VerifyPassword(const std::u16string& diskPath) {
  PasswordVerficateDlg dialog(devices_, diskPath);
  const bool open = dialog.RunModal(Handle()) == IDOK;
  // Open here, it is open on the File Backup page too.
  if (open && targetReset_) targetReset_(diskPath);
  return open;
}

void CMangeDialog::EditPassword(const std::u16string& diskPath, bool reset) {
  CPasswordSetDlg dialog(prompter_, &devices_, diskPath, reset);
  dialog.RunModal(Handle());
}

void CMangeDialog::PasswordCommandDone(const std::u16string& diskPath) {
  {
    std::lock_guard lock(devices_.Mutex());
    const int index = devices_.FindByPath(diskPath);
    if (index >= 0) {
      CUSBDevice& disk = devices_[static_cast<size_t>(index)];
      disk.ReadPasswordRecord();
      // A disk that is locked now shows nothing of itself in either tree.
      if (HasPassword(disk.m_passwordRecord) && disk.m_unlocked == 0) {
        left_.CollapseDisk(disk);
        right_.CollapseDisk(disk);
      }
    }
  }
  if (targetReset_) targetReset_(diskPath);
}

}  // namespace qtr
