#include "pages/BackUpSetDialog.h"

#include "config/BackupPassword.h"
#include "config/HotKeySetting.h"
#include "pages/BackupSettingsMarks.h"
#include "pages/HotKeyDialog.h"
#include "pages/PasswordSetDlg.h"
#include "platform/NumberText.h"
#include "platform/UserDataProtection.h"
#include "resource.h"

namespace qtr {
namespace {

constexpr int kCompletionButtons[] = {IDC_BKSET_FINISH_INFO, IDC_BKSET_FINISH_MAIN, IDC_BKSET_FINISH_SHUTDOWN,
                                      IDC_BKSET_FINISH_REBOOT};

// The check boxes that store "%d" of their state under their own key.
struct SwitchBox {
  int id;
  std::u16string_view key;
  TextId text;
  bool systemFolder;  // the source tree follows it
};
constexpr SwitchBox kSwitches[] = {
    {IDC_BKSET_WINDOWS, u"WindowsFile", TextId::WindowsFile, true},
    {IDC_BKSET_PROGRAM_FILES, u"ProgramFiles", TextId::ProgramFile, true},
    {IDC_BKSET_DOCUMENTS, u"DocAndSetFiles", TextId::DocSetFile, true},
    {IDC_BKSET_HIDE, u"HideBackupFiles", TextId::HideFiles, false},
    {IDC_BKSET_MAKE_SURE, u"MakeSure", TextId::MakeSure, false},
    {IDC_BKSET_COMPRESS, u"CompressFile", TextId::Compress, false},
    {IDC_BKSET_ENCRYPTION, u"SetPassword", TextId::SetPassword, false},
};

// Two columns: what follows a backup and the system folders with the
// hotkey on the left, the status switches and data security on the right.
constexpr ControlPlace kPlaces[] = {
    {IDC_BKSET_FINISH_GROUP, 6, 2, 240, 96},        {IDC_BKSET_FINISH_INFO, 16, 22, 224, 17},
    {IDC_BKSET_FINISH_MAIN, 16, 40, 224, 17},       {IDC_BKSET_FINISH_SHUTDOWN, 16, 58, 224, 17},
    {IDC_BKSET_FINISH_REBOOT, 16, 76, 224, 17},     {IDC_BKSET_SYSTEM_GROUP, 6, 104, 240, 78},
    {IDC_BKSET_WINDOWS, 16, 124, 224, 17},          {IDC_BKSET_PROGRAM_FILES, 16, 142, 224, 17},
    {IDC_BKSET_DOCUMENTS, 16, 160, 224, 17},        {IDC_BKSET_HOTKEY_LABEL, 8, 192, 236, 16},
    {IDC_BKSET_HOTKEY_FIELD, 8, 212, 150, 22},      {IDC_BKSET_HOTKEY_EDIT, 166, 211, 80, 24},
    {IDC_BKSET_STATUS_GROUP, 252, 2, 276, 114},     {IDC_BKSET_ALL_FILES, 262, 22, 262, 17},
    {IDC_BKSET_CHANGED_FILES, 262, 40, 262, 17},    {IDC_BKSET_HIDE, 262, 58, 262, 17},
    {IDC_BKSET_MAKE_SURE, 262, 76, 262, 17},        {IDC_BKSET_COMPRESS, 262, 94, 262, 17},
    {IDC_BKSET_SAFETY_GROUP, 252, 122, 276, 80},    {IDC_BKSET_ENCRYPTION, 262, 144, 120, 18},
    {IDC_BKSET_PASSWORD_STYLE, 388, 142, 130, 200}, {IDC_BKSET_SET_PASSWORD, 262, 170, 140, 24},
};

}  // namespace

bool CBackUpSetDialog::OnInit() {
  Place(kPlaces);
  SendDlgItemMessageW(Handle(), IDC_BKSET_PASSWORD_STYLE, CB_ADDSTRING, 0,
                      reinterpret_cast<LPARAM>(L"SHA-256"));
  ShowTexts();
  LoadControls();
  return true;
}

void CBackUpSetDialog::LoadControls() {
  XmlDocument doc;
  File().SetUpPage(SettingsPage::kBackupSettings, doc);
  for (const SwitchBox& box : kSwitches) Check(box.id, SettingIsOn(doc, box.key));
  const uint32_t style = SettingNumber(ReadSetting(doc, u"PasswordStyle").value_or(u""));
  SendDlgItemMessageW(Handle(), IDC_BKSET_PASSWORD_STYLE, CB_SETCURSEL, style < 1 ? style : 0, 0);
  MarkRadios();
  ShowHotKey();
}

void CBackUpSetDialog::MarkRadios() {
  XmlDocument doc;
  File().LoadForReading(doc);
  const int completion = CompletionChoice(ReadSetting(doc, u"BackupFinish"));
  for (int i = 0; i < 4; ++i) Check(kCompletionButtons[i], i == completion);
  const bool changed = ChangedFilesChosen(ReadSetting(doc, u"BackupStatus"));
  Check(IDC_BKSET_ALL_FILES, !changed);
  Check(IDC_BKSET_CHANGED_FILES, changed);
}

void CBackUpSetDialog::ShowHotKey() {
  XmlDocument doc;
  File().LoadForReading(doc);
  SetText(IDC_BKSET_HOTKEY_FIELD, HotKeyFieldText(ReadHotKey(doc)));
}

void CBackUpSetDialog::ShowTexts() {
  const std::pair<int, TextId> texts[] = {
      {IDC_BKSET_FINISH_GROUP, TextId::BackUpFinish},       {IDC_BKSET_FINISH_INFO, TextId::FinishInfo},
      {IDC_BKSET_FINISH_MAIN, TextId::BackMainWND},         {IDC_BKSET_FINISH_SHUTDOWN, TextId::ShutDownPc},
      {IDC_BKSET_FINISH_REBOOT, TextId::RebootPc},          {IDC_BKSET_SYSTEM_GROUP, TextId::SystemFileSet},
      {IDC_BKSET_STATUS_GROUP, TextId::BackUpStatus},       {IDC_BKSET_ALL_FILES, TextId::BackUpAllFiles},
      {IDC_BKSET_CHANGED_FILES, TextId::BackUpChangeFiles}, {IDC_BKSET_SAFETY_GROUP, TextId::DataSafe},
      {IDC_BKSET_SET_PASSWORD, TextId::RevisePassword},     {IDC_BKSET_HOTKEY_LABEL, TextId::HotKeyStatic},
      {IDC_BKSET_HOTKEY_EDIT, TextId::HotKeyButton},
  };
  for (const auto& [id, text] : texts) SetText(id, text);
  for (const SwitchBox& box : kSwitches) SetText(box.id, box.text);
}

bool CBackUpSetDialog::OnCommand(int id, int code, HWND) {
  if (id == IDC_BKSET_PASSWORD_STYLE) {
    if (code == CBN_SELCHANGE) {
      const LRESULT index = SendDlgItemMessageW(Handle(), id, CB_GETCURSEL, 0, 0);
      if (index >= 0) File().Store(u"PasswordStyle", DigitsOf(static_cast<uint32_t>(index)));
    }
    return true;
  }
  if (code != BN_CLICKED) return false;
  for (int i = 0; i < 4; ++i) {
    if (id != kCompletionButtons[i]) continue;
    File().Store(u"BackupFinish", std::u16string(1, static_cast<char16_t>(u'0' + i)));
    MarkRadios();
    return true;
  }
  if (id == IDC_BKSET_ALL_FILES || id == IDC_BKSET_CHANGED_FILES) {
    File().Store(u"BackupStatus", id == IDC_BKSET_ALL_FILES ? u"0" : u"1");
    MarkRadios();
    return true;
  }
  for (const SwitchBox& box : kSwitches) {
    if (id != box.id) continue;
    const bool on = Checked(id);
    File().Store(box.key, on ? u"1" : u"0");
    if (box.systemFolder && host_.systemFolderChanged) host_.systemFolderChanged(box.key, on);
    return true;
  }
  switch (id) {
    case IDC_BKSET_SET_PASSWORD: OpenPasswordDialog(); return true;
    case IDC_BKSET_HOTKEY_EDIT: EditHotKey(); return true;
    default: return false;
  }
}

void CBackUpSetDialog::OpenPasswordDialog() {
  if (host_.openPasswordDialog) {
    host_.openPasswordDialog(Handle());
    return;
  }
  if (host_.prompter == nullptr) return;
  // Not for a disk: the backup password, kept beside the program for this Windows user.
  BackupPassword kept(SystemFileSystem(), SystemUserDataProtection(), host_.programFolder);
  CPasswordSetDlg dialog(*host_.prompter, kept, false);
  dialog.RunModal(GetAncestor(Handle(), GA_ROOT));
}

void CBackUpSetDialog::EditHotKey() {
  CHotKey dialog(host_);
  if (dialog.RunModal(GetAncestor(Handle(), GA_ROOT)) == IDOK) ShowHotKey();
}

bool CBackUpSetDialog::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  // The read-only hotkey field keeps a white background like other fields.
  if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(l) == Item(IDC_BKSET_HOTKEY_FIELD)) {
    result = field_.Apply(reinterpret_cast<HDC>(w));
    return true;
  }
  return SettingsSubPage::OnMessage(message, w, l, result);
}

}  // namespace qtr
