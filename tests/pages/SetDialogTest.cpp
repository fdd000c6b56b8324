#include "pages/SetDialog.h"

#include "config/AutoStart.h"
#include "config/HotKeySetting.h"
#include "devices/EnclosureButton.h"
#include "resource.h"
#include "SettingsWindowFixture.h"

namespace qtr {
namespace {

using test::PumpMessages;
using test::TextOf;

class SetDialogTest : public test::SettingsWindowTest {
 protected:
  void SetUp() override {
    SettingsWindowTest::SetUp();
    host_.systemFolderChanged = [this](std::u16string_view key, bool include) {
      folderChanges_.push_back(std::u16string(key) + (include ? u"=1" : u"=0"));
    };
    host_.openPasswordDialog = [this](HWND owner) { passwordOwner_ = owner; };
    host_.haveDisks = [this] { return haveDisks_; };
    host_.enclosureButton = &button_;
    host_.applyLanguage = [this](const std::u16string& identifier) {
      applied_.push_back(identifier);
      ApplyLanguage(folder_, identifier);
    };
    page_ = std::make_unique<CSetDialog>(host_);
    ASSERT_TRUE(page_->Create(hostWindow_, {0, 0, CSetDialog::kWidth, CSetDialog::kHeight}));
    ShowWindow(page_->Handle(), SW_SHOW);
    PumpMessages();
  }
  void TearDown() override {
    page_.reset();
    SetAutoStartForThisProgram(false);
    SettingsWindowTest::TearDown();
  }
  HWND BackupItem(int id) const { return GetDlgItem(page_->BackupPage().Handle(), id); }
  HWND OthersItem(int id) const { return GetDlgItem(page_->OthersPage().Handle(), id); }
  static void Click(HWND control) { SendMessageW(control, BM_CLICK, 0, 0); }
  static bool Ticked(HWND control) { return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void ClickTab(int id) const { Click(GetDlgItem(page_->Handle(), id)); }
  // Paints everything now, as the next repaint after a change would.
  void Repaint() const {
    RedrawWindow(hostWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
  }
  void PickLanguage(const wchar_t* name) const {
    HWND list = OthersItem(IDC_OTHERS_LANGUAGE);
    const LRESULT index =
        SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    ASSERT_GE(index, 0);
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(page_->OthersPage().Handle(), WM_COMMAND, MAKEWPARAM(IDC_OTHERS_LANGUAGE, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }

  EnclosureButton button_;
  std::unique_ptr<CSetDialog> page_;
  std::vector<std::u16string> folderChanges_;
  std::vector<std::u16string> applied_;
  HWND passwordOwner_ = nullptr;
  bool haveDisks_ = false;
};

TEST_F(SetDialogTest, TabsShowTheirPageAndGroup) {
  EXPECT_EQ(TextOf(GetDlgItem(page_->Handle(), IDC_SET_TAB_BACKUP)), L"Setting");
  EXPECT_EQ(TextOf(GetDlgItem(page_->Handle(), IDC_SET_TAB_SCHEDULE)), L"Backup on schedule");
  EXPECT_EQ(TextOf(GetDlgItem(page_->Handle(), IDC_SET_TAB_FILTER)), L"File filter");
  EXPECT_EQ(TextOf(GetDlgItem(page_->Handle(), IDC_SET_TAB_OTHERS)), L"Others");
  EXPECT_TRUE(IsWindowVisible(page_->BackupPage().Handle()));
  EXPECT_FALSE(IsWindowVisible(page_->OthersPage().Handle()));

  ClickTab(IDC_SET_TAB_FILTER);
  EXPECT_FALSE(IsWindowVisible(page_->BackupPage().Handle()));
  EXPECT_TRUE(IsWindowVisible(page_->OthersPage().Handle()));
  EXPECT_TRUE(IsWindowVisible(OthersItem(IDC_OTHERS_FILTER)));
  EXPECT_FALSE(IsWindowVisible(OthersItem(IDC_OTHERS_LANGUAGE)));

  ClickTab(IDC_SET_TAB_OTHERS);
  EXPECT_FALSE(IsWindowVisible(OthersItem(IDC_OTHERS_FILTER)));
  EXPECT_TRUE(IsWindowVisible(OthersItem(IDC_OTHERS_LANGUAGE)));

  ClickTab(IDC_SET_TAB_SCHEDULE);
  EXPECT_TRUE(IsWindowVisible(page_->SchedulePage().Handle()));
  EXPECT_FALSE(IsWindowVisible(page_->OthersPage().Handle()));
  EXPECT_EQ(page_->CurrentTab(), CSetDialog::Tab::kSchedule);
}

TEST_F(SetDialogTest, BackupSettingsBoxesWriteTheirKeysAtOnce) {
  // A new file: status "1", hide "1", compress "1", the rest "0".
  EXPECT_TRUE(Ticked(BackupItem(IDC_BKSET_CHANGED_FILES)));
  EXPECT_TRUE(Ticked(BackupItem(IDC_BKSET_COMPRESS)));
  const std::pair<int, std::u16string_view> boxes[] = {
      {IDC_BKSET_WINDOWS, u"WindowsFile"},      {IDC_BKSET_PROGRAM_FILES, u"ProgramFiles"},
      {IDC_BKSET_DOCUMENTS, u"DocAndSetFiles"}, {IDC_BKSET_HIDE, u"HideBackupFiles"},
      {IDC_BKSET_MAKE_SURE, u"MakeSure"},       {IDC_BKSET_COMPRESS, u"CompressFile"},
      {IDC_BKSET_ENCRYPTION, u"SetPassword"},
  };
  for (const auto& [id, key] : boxes) {
    const std::u16string before = Read(key);
    Click(BackupItem(id));
    EXPECT_EQ(Read(key), before == u"1" ? u"0" : u"1") << id;
  }
  EXPECT_EQ(folderChanges_,
            (std::vector<std::u16string>{u"WindowsFile=1", u"ProgramFiles=1", u"DocAndSetFiles=1"}));
  Click(BackupItem(IDC_BKSET_WINDOWS));
  EXPECT_EQ(folderChanges_.back(), u"WindowsFile=0");
  EXPECT_EQ(Read(u"WindowsFile"), u"0");

  SendMessageW(BackupItem(IDC_BKSET_PASSWORD_STYLE), CB_SETCURSEL, 0, 0);
  Settings().Store(u"PasswordStyle", u"9");
  SendMessageW(page_->BackupPage().Handle(), WM_COMMAND, MAKEWPARAM(IDC_BKSET_PASSWORD_STYLE, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(BackupItem(IDC_BKSET_PASSWORD_STYLE)));
  EXPECT_EQ(Read(u"PasswordStyle"), u"0");
}

TEST_F(SetDialogTest, RadioButtonsStoreTheirValueAndLeaveOneMarked) {
  const int completion[] = {IDC_BKSET_FINISH_INFO, IDC_BKSET_FINISH_MAIN, IDC_BKSET_FINISH_SHUTDOWN,
                            IDC_BKSET_FINISH_REBOOT};
  Click(BackupItem(IDC_BKSET_FINISH_REBOOT));
  EXPECT_EQ(Read(u"BackupFinish"), u"3");
  for (int id : completion) EXPECT_EQ(Ticked(BackupItem(id)), id == IDC_BKSET_FINISH_REBOOT) << id;
  Click(BackupItem(IDC_BKSET_FINISH_MAIN));
  EXPECT_EQ(Read(u"BackupFinish"), u"1");
  for (int id : completion) EXPECT_EQ(Ticked(BackupItem(id)), id == IDC_BKSET_FINISH_MAIN) << id;

  Click(BackupItem(IDC_BKSET_ALL_FILES));
  EXPECT_EQ(Read(u"BackupStatus"), u"0");
  EXPECT_TRUE(Ticked(BackupItem(IDC_BKSET_ALL_FILES)));
  EXPECT_FALSE(Ticked(BackupItem(IDC_BKSET_CHANGED_FILES)));
  Click(BackupItem(IDC_BKSET_CHANGED_FILES));
  EXPECT_EQ(Read(u"BackupStatus"), u"1");
  EXPECT_FALSE(Ticked(BackupItem(IDC_BKSET_ALL_FILES)));
}

TEST_F(SetDialogTest, MissingKeysAreInsertedWhenThePagesAreSetUp) {
  page_.reset();
  test::WriteBytes(Settings().Path(), "<InitInfo>\r\n<Language>0x0409</Language>\r\n</InitInfo>\r\n");
  page_ = std::make_unique<CSetDialog>(host_);
  ASSERT_TRUE(page_->Create(hostWindow_, {0, 0, CSetDialog::kWidth, CSetDialog::kHeight}));
  EXPECT_EQ(Read(u"CompressFile"), u"0");
  EXPECT_EQ(Read(u"BackupStatus"), u"0");
  EXPECT_EQ(Read(u"USBHotKey"), u"0");
  EXPECT_EQ(Attribute(u"Sunday", u"Timing"), u"00:00");
  EXPECT_FALSE(Ticked(BackupItem(IDC_BKSET_COMPRESS)));
  EXPECT_TRUE(Ticked(BackupItem(IDC_BKSET_ALL_FILES)));
  EXPECT_TRUE(Ticked(BackupItem(IDC_BKSET_FINISH_INFO)));
}

TEST_F(SetDialogTest, OtherSettingsBoxesWriteTheirKeysAndSwitchPolling) {
  // A new file has "USBHotKey" on; without a disk nothing is polled.
  EXPECT_TRUE(Ticked(OthersItem(IDC_OTHERS_USB_KEY)));
  EXPECT_TRUE(button_.Enabled());
  EXPECT_FALSE(button_.Running());
  Click(OthersItem(IDC_OTHERS_USB_KEY));
  EXPECT_EQ(Read(u"USBHotKey"), u"0");
  EXPECT_FALSE(button_.Enabled());
  haveDisks_ = true;
  Click(OthersItem(IDC_OTHERS_USB_KEY));
  EXPECT_EQ(Read(u"USBHotKey"), u"1");
  EXPECT_TRUE(button_.Enabled());

  const std::u16string_view keys[] = {u"BackupImages", u"BackupAudios", u"BackupVedios", u"BackupDatas"};
  for (int i = 0; i < 4; ++i) {
    Click(OthersItem(IDC_OTHERS_FILTER + i));
    EXPECT_EQ(Read(keys[i]), u"1") << i;
  }
  Click(OthersItem(IDC_OTHERS_FILTER + 1));
  EXPECT_EQ(Read(u"BackupAudios"), u"0");
}

TEST_F(SetDialogTest, ReminderIsWrittenOnlyWhenChosenAndHistoryOpensTheWindow) {
  int historyOpened = 0;
  host_.openHistory = [&historyOpened] { ++historyOpened; };
  page_.reset();
  page_ = std::make_unique<CSetDialog>(host_);
  ASSERT_TRUE(page_->Create(hostWindow_, {0, 0, CSetDialog::kWidth, CSetDialog::kHeight}));
  ShowWindow(page_->Handle(), SW_SHOW);
  ClickTab(IDC_SET_TAB_OTHERS);
  Repaint();
  HWND list = OthersItem(IDC_OTHERS_REMIND);
  // An untouched file says nothing: the reminder comes after a week.
  EXPECT_EQ(Read(u"ReminderDays"), u"<absent>");
  EXPECT_EQ(TextOf(list), L"7 days");
  const LRESULT never =
      SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Never"));
  ASSERT_GE(never, 0);
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(never), 0);
  SendMessageW(page_->OthersPage().Handle(), WM_COMMAND, MAKEWPARAM(IDC_OTHERS_REMIND, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(Read(u"ReminderDays"), u"0");
  // The choices follow the language and the choice stays.
  PickLanguage(L"\u7b80\u4f53\u4e2d\u6587");
  Repaint();
  EXPECT_EQ(TextOf(list), L"\u4ece\u4e0d");
  EXPECT_EQ(TextOf(OthersItem(IDC_OTHERS_HISTORY)), L"\u5386\u53f2\u8bb0\u5f55...");
  Click(OthersItem(IDC_OTHERS_HISTORY));
  EXPECT_EQ(historyOpened, 1);
}

TEST_F(SetDialogTest, VersionDaysAreWrittenOnlyWhenChosenAndAHandEditedValueIsShown) {
  ClickTab(IDC_SET_TAB_OTHERS);
  Repaint();
  HWND list = OthersItem(IDC_OTHERS_VERSIONS);
  EXPECT_EQ(TextOf(OthersItem(IDC_OTHERS_VERSIONS_LABEL)), L"Keep previous versions of replaced files for:");
  EXPECT_EQ(Read(u"VersionDays"), u"<absent>");
  EXPECT_EQ(TextOf(list), L"30 days");
  const auto choose = [&](const wchar_t* text) {
    const LRESULT at =
        SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ASSERT_GE(at, 0) << text;
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    SendMessageW(page_->OthersPage().Handle(), WM_COMMAND, MAKEWPARAM(IDC_OTHERS_VERSIONS, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  };
  choose(L"Do not keep");
  EXPECT_EQ(Read(u"VersionDays"), u"0");

  // A number of the file's own has a place in the list, and one past ten years is shown capped.
  Settings().Store(u"VersionDays", u"45");
  page_->OthersPage().LoadControls();
  EXPECT_EQ(TextOf(list), L"45 days");
  Settings().Store(u"VersionDays", u"99999");
  page_->OthersPage().LoadControls();
  EXPECT_EQ(TextOf(list), L"3650 days");

  PickLanguage(L"\u7b80\u4f53\u4e2d\u6587");
  Repaint();
  EXPECT_EQ(TextOf(list), L"3650 \u5929");
  choose(L"\u4e0d\u4fdd\u7559");
  EXPECT_EQ(Read(u"VersionDays"), u"0");
}

// Neither group's controls cover one another, and each label's text fits
// its control in both languages.
TEST_F(SetDialogTest, OthersControlsDoNotOverlapAndTheirTextsFit) {
  ClickTab(IDC_SET_TAB_OTHERS);
  const int general[] = {IDC_OTHERS_AUTOSTART, IDC_OTHERS_USB_KEY,        IDC_OTHERS_LANGUAGE_LABEL,
                         IDC_OTHERS_LANGUAGE,  IDC_OTHERS_REMIND_LABEL,   IDC_OTHERS_REMIND,
                         IDC_OTHERS_HISTORY,   IDC_OTHERS_VERSIONS_LABEL, IDC_OTHERS_VERSIONS};
  RECT page = {};
  GetClientRect(page_->OthersPage().Handle(), &page);
  for (const wchar_t* language : {L"English", L"\u7b80\u4f53\u4e2d\u6587"}) {
    PickLanguage(language);
    Repaint();
    for (size_t i = 0; i < std::size(general); ++i) {
      HWND control = OthersItem(general[i]);
      RECT a = {};
      GetWindowRect(control, &a);
      MapWindowPoints(nullptr, page_->OthersPage().Handle(), reinterpret_cast<POINT*>(&a), 2);
      EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= page.right && a.bottom <= page.bottom)
          << general[i];
      for (size_t j = i + 1; j < std::size(general); ++j) {
        RECT b = {}, both = {};
        GetWindowRect(OthersItem(general[j]), &b);
        MapWindowPoints(nullptr, page_->OthersPage().Handle(), reinterpret_cast<POINT*>(&b), 2);
        EXPECT_FALSE(IntersectRect(&both, &a, &b)) << general[i] << " and " << general[j];
      }
      const std::wstring text = TextOf(control);
      HDC dc = GetDC(control);
      const HGDIOBJ old =
          SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
      SIZE size = {};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
      SelectObject(dc, old);
      ReleaseDC(control, dc);
      // Boxes and buttons draw a mark or a border beside their text.
      EXPECT_LE(size.cx + 20, a.right - a.left) << general[i];
    }
  }
}

TEST_F(SetDialogTest, AutoStartBoxSetsAndRemovesTheRunEntry) {
  SetAutoStartForThisProgram(false);
  page_->OthersPage().LoadControls();
  EXPECT_FALSE(Ticked(OthersItem(IDC_OTHERS_AUTOSTART)));  // not what a new file says, but what is set
  Click(OthersItem(IDC_OTHERS_AUTOSTART));
  EXPECT_FALSE(AutoStartCommand().empty());
  EXPECT_EQ(Read(u"AutoStart"), u"1");
  Click(OthersItem(IDC_OTHERS_AUTOSTART));
  EXPECT_TRUE(AutoStartCommand().empty());
  EXPECT_EQ(Read(u"AutoStart"), u"0");
  EXPECT_TRUE(prompter_.asked.empty());
}

TEST_F(SetDialogTest, PictureAndDataFilesMakeTheFilterWithTheOthersField) {
  ClickTab(IDC_SET_TAB_FILTER);
  EXPECT_EQ(page_->FileTypeFilter(), u"");
  EXPECT_EQ(TextOf(OthersItem(IDC_OTHERS_FILTER + 0)), L"Picture:bmp,jpg,png,jpeg");
  Click(OthersItem(IDC_OTHERS_FILTER + 0));
  Click(OthersItem(IDC_OTHERS_FILTER + 3));
  EXPECT_EQ(page_->FileTypeFilter(), u"bmp,jpg,png,jpeg,jepg,txt,doc,docx,xls,ppt,pdf");

  HWND field = OthersItem(IDC_OTHERS_EXTENSIONS);
  EXPECT_FALSE(IsWindowEnabled(field));
  Click(OthersItem(IDC_OTHERS_OTHER));
  EXPECT_TRUE(IsWindowEnabled(field));
  EXPECT_EQ(TextOf(field), L"Please input the file extensions which should be separated by ','");
  EXPECT_EQ(page_->FileTypeFilter(),
            u"bmp,jpg,png,jpeg,jepg,txt,doc,docx,xls,ppt,pdf");  // the prompt adds nothing
  SetWindowTextW(field, L"iso, raw");
  EXPECT_EQ(page_->FileTypeFilter(), u"bmp,jpg,png,jpeg,jepg,txt,doc,docx,xls,ppt,pdf,iso,raw");
  Click(OthersItem(IDC_OTHERS_OTHER));
  EXPECT_FALSE(IsWindowEnabled(field));
  EXPECT_EQ(page_->FileTypeFilter(), u"bmp,jpg,png,jpeg,jepg,txt,doc,docx,xls,ppt,pdf");
}

TEST_F(SetDialogTest, LanguageChoiceChangesEveryTextAtTheNextPaintAndBack) {
  ClickTab(IDC_SET_TAB_OTHERS);
  PickLanguage(L"\u7b80\u4f53\u4e2d\u6587");
  EXPECT_EQ(Read(u"Language"), u"0x0804");
  EXPECT_EQ(applied_, (std::vector<std::u16string>{u"0x0804"}));
  Repaint();
  // The tab buttons, the shown page and the hidden ones (painted when shown).
  EXPECT_EQ(TextOf(GetDlgItem(page_->Handle(), IDC_SET_TAB_OTHERS)), L"\u5176\u4ed6");
  EXPECT_NE(TextOf(OthersItem(IDC_OTHERS_AUTOSTART)), L"Run automatically at startup");
  ClickTab(IDC_SET_TAB_BACKUP);
  Repaint();
  EXPECT_NE(TextOf(BackupItem(IDC_BKSET_COMPRESS)), L"Compress backup files");
  ClickTab(IDC_SET_TAB_FILTER);
  Repaint();
  const std::wstring picture = TextOf(OthersItem(IDC_OTHERS_FILTER + 0));
  EXPECT_NE(picture, L"Picture:bmp,jpg,png,jpeg");
  EXPECT_EQ(picture.substr(picture.size() - 17), L":bmp,jpg,png,jpeg");  // the list stays as it is

  ClickTab(IDC_SET_TAB_OTHERS);
  PickLanguage(L"English");
  EXPECT_EQ(Read(u"Language"), u"0x0409");
  Repaint();
  EXPECT_EQ(TextOf(GetDlgItem(page_->Handle(), IDC_SET_TAB_OTHERS)), L"Others");
  EXPECT_EQ(TextOf(OthersItem(IDC_OTHERS_AUTOSTART)), L"Run automatically at startup");
}

TEST_F(SetDialogTest, LanguageWhoseTableIsMissingIsNotChosen) {
  std::filesystem::remove(std::filesystem::path(folder_) / "Language" / "0x0804.xml");
  ClickTab(IDC_SET_TAB_OTHERS);
  PickLanguage(L"\u7b80\u4f53\u4e2d\u6587");
  EXPECT_EQ(Read(u"Language"), u"0x0409");
  EXPECT_TRUE(applied_.empty());
  wchar_t shown[64] = {};
  GetWindowTextW(OthersItem(IDC_OTHERS_LANGUAGE), shown, 64);
  EXPECT_STREQ(shown, L"English");
}

TEST_F(SetDialogTest, SetPasswordOpensThePasswordDialogWithoutADisk) {
  page_.reset();
  host_.openPasswordDialog = nullptr;
  page_ = std::make_unique<CSetDialog>(host_);
  ASSERT_TRUE(page_->Create(hostWindow_, {0, 0, CSetDialog::kWidth, CSetDialog::kHeight}));
  static std::wstring title;
  static bool oldPasswordEnabled = true;
  title.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = GetActiveWindow();
    wchar_t className[32] = {};
    GetClassNameW(dialog, className, 32);
    if (dialog == nullptr || std::wstring(className) != L"#32770" || !title.empty()) return;
    title = TextOf(GetDlgItem(dialog, IDC_PASSWORD_SET_TITLE));
    oldPasswordEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_PASSWORD_OLD)) != FALSE;
    EndDialog(dialog, IDCANCEL);
  });
  Click(BackupItem(IDC_BKSET_SET_PASSWORD));
  KillTimer(nullptr, timer);
  EXPECT_EQ(title, L"Password Setting");
  EXPECT_FALSE(oldPasswordEnabled);
}

TEST_F(SetDialogTest, SetPasswordAndHotKeyFieldAreWired) {
  Click(BackupItem(IDC_BKSET_SET_PASSWORD));
  EXPECT_NE(passwordOwner_, nullptr);
  page_.reset();
  ASSERT_TRUE(Settings().StoreHotKey({u"Ctrl + Alt + B", 'B', MOD_ALT | MOD_CONTROL}));
  page_ = std::make_unique<CSetDialog>(host_);
  ASSERT_TRUE(page_->Create(hostWindow_, {0, 0, CSetDialog::kWidth, CSetDialog::kHeight}));
  EXPECT_EQ(TextOf(BackupItem(IDC_BKSET_HOTKEY_FIELD)), L"Ctrl+Alt+B");
}

}  // namespace
}  // namespace qtr
