// Shows the Setting page in a window of its own, on one tab and in one
// language, for scripts/screenshot: settings_preview TAB [LANGUAGE]
// with TAB one of backup, schedule, filter, others (or hotkey, time for the
// two dialogs over the backup and schedule tabs; password for the backup
// password dialog, store-password for the prompt for an encrypted store's
// own password, both over the backup tab) and LANGUAGE a table
// identifier such as 0x0804. Its files live beside the executable.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "config/LanguageList.h"
#include "config/LanguageTable.h"
#include "config/SettingsFile.h"
#include "config/SystemLanguage.h"
#include "pages/SetDialog.h"
#include "pages/StorePasswordDlg.h"
#include "resource.h"
#include "ui/Prompter.h"
#include "widgets/GdiplusSession.h"

namespace {

class SilentPrompter : public qtr::Prompter {
 public:
  bool Ask(const qtr::Question&) override { return false; }
};

std::u16string ExecutableFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L'\\') + 1);
  return std::u16string(folder.begin(), folder.end());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  qtr::GdiplusSession gdiplus;
  const std::wstring tab = argc > 1 ? argv[1] : L"backup";
  const std::wstring language = argc > 2 ? argv[2] : L"0x0409";
  const std::u16string folder = ExecutableFolder();
  qtr::SettingsFile settings(folder, qtr::SystemDefaultLanguageId());
  settings.WriteDefaults();
  settings.Store(u"Language", std::u16string(language.begin(), language.end()));
  qtr::InstalledLanguages().Load(qtr::LanguageListPath(folder));
  qtr::ApplyLanguage(folder, std::u16string(language.begin(), language.end()));

  HWND window = CreateWindowExW(0, L"STATIC", L"Setting page", WS_POPUP | WS_BORDER | WS_VISIBLE, 100, 100,
                                qtr::CSetDialog::kWidth + 2, qtr::CSetDialog::kHeight + 2, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  SilentPrompter prompter;
  qtr::SettingsHost host;
  host.programFolder = folder;
  host.prompter = &prompter;
  host.haveDisks = [] { return false; };
  qtr::CSetDialog page(host);
  if (!page.Create(window, {0, 0, qtr::CSetDialog::kWidth, qtr::CSetDialog::kHeight})) return 1;
  ShowWindow(page.Handle(), SW_SHOW);
  if (tab == L"schedule") page.ShowTab(qtr::CSetDialog::Tab::kSchedule);
  if (tab == L"others") page.ShowTab(qtr::CSetDialog::Tab::kOthers);
  if (tab == L"filter") {
    page.ShowTab(qtr::CSetDialog::Tab::kFileFilter);
    // With "Others" ticked, so that the field shows its grey prompt.
    SendMessageW(GetDlgItem(page.OthersPage().Handle(), IDC_OTHERS_OTHER), BM_CLICK, 0, 0);
  }
  if (tab == L"time") {
    page.ShowTab(qtr::CSetDialog::Tab::kSchedule);
    PostMessageW(GetDlgItem(page.SchedulePage().Handle(), IDC_SCHEDULE_SET), BM_CLICK, 0, 0);
  }
  if (tab == L"hotkey")
    PostMessageW(GetDlgItem(page.BackupPage().Handle(), IDC_BKSET_HOTKEY_EDIT), BM_CLICK, 0, 0);
  if (tab == L"password")
    PostMessageW(GetDlgItem(page.BackupPage().Handle(), IDC_BKSET_SET_PASSWORD), BM_CLICK, 0, 0);
  if (tab == L"store-password") {
    // Every entry is refused, so the error line shows after an OK.
    qtr::CStorePasswordDlg prompt([](std::string_view) { return qtr::PasswordTry::kRefused; });
    prompt.RunModal(window);
    return 0;
  }
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(page.Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
