#include "pages/PasswordSetDlg.h"

#include <mutex>

#include "config/BackupPassword.h"
#include "config/LanguageText.h"
#include "devices/DeviceList.h"
#include "platform/UserDataProtection.h"
#include "platform/WideText.h"
#include "ui/BackupPasswordSet.h"
#include "ui/PasswordRules.h"
#include "resource.h"
#include "ui/Prompter.h"

namespace qtr {

CPasswordSetDlg::CPasswordSetDlg(Prompter& prompter, DeviceList* list, std::u16string diskPath,
                                 bool resetMode)
    : PasswordDialogFrame(IDD_PASSWORD_SET),
      prompter_(prompter),
      list_(list),
      diskPath_(std::move(diskPath)),
      resetMode_(resetMode) {}

CPasswordSetDlg::CPasswordSetDlg(Prompter& prompter, BackupPassword& backupPassword, bool required)
    : CPasswordSetDlg(prompter, nullptr, u"", false) {
  backupPassword_ = &backupPassword;
  required_ = required;
}

CPasswordSetDlg::~CPasswordSetDlg() {
  WipeSecret(keptPassword_);
}

bool CPasswordSetDlg::OnInit() {
  SetUpFrame(IDC_PASSWORD_SET_TITLE, DisplayText(TextId::PasswordSetTitle), IDC_PASSWORD_SET_CLOSE,
             IDC_PASSWORD_SET_OK, IDC_PASSWORD_SET_CANCEL,
             {IDC_PASSWORD_OLD, IDC_PASSWORD_NEW, IDC_PASSWORD_AGAIN});
  SetItemText(IDC_PASSWORD_OLD_LABEL, AsWstring(DisplayText(TextId::OldPassword)));
  SetItemText(IDC_PASSWORD_NEW_LABEL, AsWstring(DisplayText(TextId::NewPassword)));
  SetItemText(IDC_PASSWORD_AGAIN_LABEL, AsWstring(DisplayText(TextId::NewPasswordAgain)));
  SetItemText(IDC_PASSWORD_SET_OK, AsWstring(DisplayText(TextId::OK)));
  SetItemText(IDC_PASSWORD_SET_CANCEL, AsWstring(DisplayText(TextId::Cancel)));
  EnableWindow(Item(IDC_PASSWORD_OLD), resetMode_ ? TRUE : FALSE);
  SetFocus(Item(resetMode_ ? IDC_PASSWORD_OLD : IDC_PASSWORD_NEW));
  return false;  // the focus is set
}

bool CPasswordSetDlg::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDC_PASSWORD_SET_OK:
      if (backupPassword_ != nullptr)
        ApplyBackupPassword();
      else
        Apply();
      return true;
    case IDC_PASSWORD_SET_CANCEL: Close(IDCANCEL); return true;
    default: return FrameCommand(id);
  }
}

void CPasswordSetDlg::Apply() {
  PasswordSetInput input;
  input.diskMode = list_ != nullptr;
  input.resetMode = resetMode_;
  input.oldPassword = AsU16string(ItemText(IDC_PASSWORD_OLD));
  input.newPassword = AsU16string(ItemText(IDC_PASSWORD_NEW));
  input.newPasswordAgain = AsU16string(ItemText(IDC_PASSWORD_AGAIN));
  PasswordSetOutcome outcome;
  bool diskGone = false;
  if (list_ == nullptr) {
    outcome = ApplyPasswordSet(input, nullptr);
  } else {
    // The list may change while the dialog is open; the record is written
    // under its lock, and the message shown after the lock is released.
    const std::lock_guard lock(list_->Mutex());
    CUSBDevice* disk = list_->At(list_->FindByPath(diskPath_));
    diskGone = disk == nullptr;
    if (!diskGone) outcome = ApplyPasswordSet(input, disk);
  }
  if (diskGone) {
    Tell(prompter_, {DisplayText(TextId::PromptTitle), DisplayText(TextId::PasswordSetFiled)});
    Close(IDCANCEL);
    return;
  }
  if (outcome.message)
    Tell(prompter_, {DisplayText(outcome.title.value_or(TextId::Error)), DisplayText(*outcome.message)});
  if (outcome.clearOldField) {
    SetItemText(IDC_PASSWORD_OLD, L"");
    SetFocus(Item(IDC_PASSWORD_OLD));
  }
  if (outcome.clearNewFields) {
    SetItemText(IDC_PASSWORD_NEW, L"");
    SetItemText(IDC_PASSWORD_AGAIN, L"");
    SetFocus(Item(IDC_PASSWORD_NEW));
  }
  // Without a disk there is nothing to store: matching entries close it.
  if (outcome.closeDialog || (list_ == nullptr && !outcome.message)) Close(IDOK);
}

void CPasswordSetDlg::ApplyBackupPassword() {
  BackupPasswordSetOutcome outcome =
      ApplyBackupPasswordSet(AsU16string(ItemText(IDC_PASSWORD_NEW)),
                             AsU16string(ItemText(IDC_PASSWORD_AGAIN)), required_, *backupPassword_);
  if (outcome.message) Tell(prompter_, {DisplayText(outcome.title), DisplayText(*outcome.message)});
  if (outcome.clearNewFields) {
    SetItemText(IDC_PASSWORD_NEW, L"");
    SetItemText(IDC_PASSWORD_AGAIN, L"");
    SetFocus(Item(IDC_PASSWORD_NEW));
  }
  if (!outcome.closeDialog) return;
  // The entries are not left in the fields of a closed dialog.
  SetItemText(IDC_PASSWORD_NEW, L"");
  SetItemText(IDC_PASSWORD_AGAIN, L"");
  keptPassword_ = std::move(outcome.kept);
  WipeSecret(outcome.kept);
  Close(IDOK);
}

}  // namespace qtr
