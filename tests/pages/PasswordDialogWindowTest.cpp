// The disk password dialogs on a simulated disk: what OK does with each
// kind of entry, and what reaches the disk's password sector.
#include <gtest/gtest.h>
#include <windows.h>

#include "DeviceTestSupport.h"
#include "config/BackupPassword.h"
#include "devices/DeviceList.h"
#include "devices/PasswordRecord.h"
#include "pages/PasswordSetDlg.h"
#include "pages/PasswordVerficateDlg.h"
#include "pages/StorePasswordDlg.h"
#include "platform/UserDataProtection.h"
#include "platform/WideText.h"
#include "resource.h"
#include "ui/Prompter.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

// 2 x 16 x 63 sectors of 512 bytes: the record sits in sector 2014.
constexpr std::string_view kDisk =
    "[disk]\npath = \\\\?\\usbstor#one\nimage = one.img\nvendor = WDC\nproduct = One\n"
    "number = 1\ngeometry = 2 16 63 512\n";
constexpr uint64_t kRecordOffset = (2ull * 16 * 63 - 2) * 512;
const std::u16string kPath = u"\\\\?\\usbstor#one";

class RecordingPrompter final : public Prompter {
 public:
  bool Ask(const Question& question) override {
    asked.push_back(question.title + u" / " + question.message);
    if (watched != nullptr) watchedTookInput.push_back(IsWindowEnabled(watched) != FALSE);
    return true;
  }
  std::vector<std::u16string> asked;
  HWND watched = nullptr;  // whether it takes input is noted at every question
  std::vector<bool> watchedTookInput;
};

class PasswordDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CUSBDevice disk;
    disk.m_devicePath = kPath;
    ASSERT_TRUE(disk.IsHalvernDevice());
    list_.Insert(disk);
  }
  std::string Record() const { return test::ReadImage(world_.Image(u"one.img"), kRecordOffset, 512); }
  // Fills the fields of an open dialog and presses OK.
  static void Enter(Dialog& dialog, std::initializer_list<std::pair<int, const wchar_t*>> fields, int ok) {
    for (const auto& [id, text] : fields) SetWindowTextW(dialog.Item(id), text);
    SendMessageW(dialog.Item(ok), BM_CLICK, 0, 0);
  }

  test::SimulatedWorld world_{kDisk};
  DeviceList list_;
  RecordingPrompter prompter_;
};

TEST_F(PasswordDialogTest, SettingAPasswordWritesTheRecordAndLocksTheDisk) {
  list_[0].m_unlocked = 1;
  CPasswordSetDlg dialog(prompter_, &list_, kPath, false);
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  EXPECT_FALSE(IsWindowEnabled(dialog.Item(IDC_PASSWORD_OLD))) << "set mode asks no old password";
  EXPECT_EQ(SendMessageW(dialog.Item(IDC_PASSWORD_NEW), EM_GETPASSWORDCHAR, 0, 0), L'*');
  prompter_.watched = dialog.Handle();
  Enter(dialog, {{IDC_PASSWORD_NEW, L"abc"}, {IDC_PASSWORD_AGAIN, L"abc"}}, IDC_PASSWORD_SET_OK);
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(prompter_.asked, (std::vector<std::u16string>{u"Tips / Set password  succeeded!"}));
  // No second OK could be pressed while the message was up.
  EXPECT_EQ(prompter_.watchedTookInput, std::vector<bool>{false});
  const std::string record = Record();
  EXPECT_EQ(record.substr(0, 8), std::string("\x01\0\0\0\x03\0\0\0", 8));
  EXPECT_EQ(record.substr(8, 12), std::string("password\0abc", 12));
  EXPECT_EQ(record.substr(20), std::string(492, '\0'));
  EXPECT_EQ(list_[0].m_unlocked, 0);
  EXPECT_EQ(StoredPassword(list_[0].m_passwordRecord), u"abc");
}

TEST_F(PasswordDialogTest, RefusedEntriesLeaveTheRecordAndTheDialogAsTheyWere) {
  const std::string before = Record();
  const std::wstring tooLong(495, L'a');
  const struct {
    const wchar_t* entry;
    const wchar_t* again;
    std::u16string message;
  } cases[] = {
      {L"abc", L"abd", u"Error / Passwords do not match"},
      {tooLong.c_str(), tooLong.c_str(), u"Error / The password is too long, please use at most 494 bytes!"},
      {L"\u5bc6\u7801", L"\u5bc6\u7801",
       u"Error / The password contains characters that cannot be stored, please use others!"},
  };
  for (const auto& c : cases) {
    prompter_.asked.clear();
    CPasswordSetDlg dialog(prompter_, &list_, kPath, false);
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    Enter(dialog, {{IDC_PASSWORD_NEW, c.entry}, {IDC_PASSWORD_AGAIN, c.again}}, IDC_PASSWORD_SET_OK);
    EXPECT_EQ(prompter_.asked, std::vector<std::u16string>{c.message});
    EXPECT_EQ(dialog.Result(), 0) << "the dialog stays open";
    EXPECT_TRUE(IsWindowEnabled(dialog.Handle())) << "and takes the next entry";
    EXPECT_EQ(dialog.ItemText(IDC_PASSWORD_NEW), L"") << "the new entries are emptied";
    EXPECT_EQ(Record(), before);
    EXPECT_FALSE(HasPassword(list_[0].m_passwordRecord));
  }
}

TEST_F(PasswordDialogTest, ResetAsksForTheOldPasswordExactly) {
  PasswordRecord record{};
  ASSERT_EQ(BuildPasswordRecord(u"Old", record), PasswordEncoding::Ok);
  ASSERT_EQ(list_[0].WritePasswordRecord(record), CUSBDevice::RecordWrite::Written);
  list_[0].m_passwordRecord = record;
  const std::string before = Record();

  CPasswordSetDlg dialog(prompter_, &list_, kPath, true);
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDC_PASSWORD_OLD)));
  Enter(dialog, {{IDC_PASSWORD_OLD, L"old"}, {IDC_PASSWORD_NEW, L""}, {IDC_PASSWORD_AGAIN, L""}},
        IDC_PASSWORD_SET_OK);
  EXPECT_EQ(prompter_.asked, (std::vector<std::u16string>{u"Error / Original password input error!"}));
  EXPECT_EQ(dialog.ItemText(IDC_PASSWORD_OLD), L"");
  EXPECT_EQ(Record(), before);

  // An empty new password removes the password.
  Enter(dialog, {{IDC_PASSWORD_OLD, L"Old"}}, IDC_PASSWORD_SET_OK);
  EXPECT_EQ(dialog.Result(), IDOK);
  EXPECT_EQ(Record().substr(0, 4), std::string(4, '\0'));
  EXPECT_FALSE(HasPassword(list_[0].m_passwordRecord));
}

TEST_F(PasswordDialogTest, ADiskThatLeftWhileTheDialogWasOpenIsNotWritten) {
  CPasswordSetDlg dialog(prompter_, &list_, kPath, false);
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  list_.RemoveAt(0);
  Enter(dialog, {{IDC_PASSWORD_NEW, L"abc"}, {IDC_PASSWORD_AGAIN, L"abc"}}, IDC_PASSWORD_SET_OK);
  EXPECT_EQ(prompter_.asked, (std::vector<std::u16string>{u"Tips / Set password failed!"}));
  EXPECT_EQ(dialog.Result(), IDCANCEL);

  PasswordVerficateDlg prompt(list_, kPath);
  ASSERT_TRUE(prompt.CreateModeless(nullptr));
  Enter(prompt, {{IDC_PASSWORD_INPUT, L"abc"}}, IDC_PASSWORD_VERIFY_OK);
  EXPECT_EQ(prompt.Result(), IDCANCEL);
}

// Opened from the backup settings, not for a disk: the password is kept
// beside the program, sealed for this Windows user by the system itself.
TEST_F(PasswordDialogTest, TheBackupPasswordIsKeptSealedOrRemoved) {
  test::TempFolder folder;
  BackupPassword kept(SystemFileSystem(), SystemUserDataProtection(), folder.Path() + u"\\");
  const std::string before = Record();
  {
    CPasswordSetDlg dialog(prompter_, kept, false);
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    EXPECT_FALSE(IsWindowEnabled(dialog.Item(IDC_PASSWORD_OLD)));
    Enter(dialog, {{IDC_PASSWORD_NEW, L"Marker-pw-77"}, {IDC_PASSWORD_AGAIN, L"Marker-pw-78"}},
          IDC_PASSWORD_SET_OK);
    EXPECT_EQ(prompter_.asked, std::vector<std::u16string>{u"Error / Passwords do not match"});
    EXPECT_EQ(dialog.Result(), 0);
    EXPECT_EQ(dialog.ItemText(IDC_PASSWORD_NEW), L"");
    EXPECT_EQ(GetFileAttributesW(WidePointer(kept.Path())), INVALID_FILE_ATTRIBUTES) << "nothing kept";

    prompter_.asked.clear();
    Enter(dialog, {{IDC_PASSWORD_NEW, L"Marker-pw-77"}, {IDC_PASSWORD_AGAIN, L"Marker-pw-77"}},
          IDC_PASSWORD_SET_OK);
    EXPECT_EQ(dialog.Result(), IDOK);
    EXPECT_EQ(prompter_.asked, std::vector<std::u16string>{u"Tips / Set password  succeeded!"});
    EXPECT_EQ(dialog.KeptPassword(), "Marker-pw-77");
  }
  const std::string bytes = test::ReadBytes(kept.Path());
  EXPECT_GT(bytes.size(), 20u);
  EXPECT_EQ(bytes.find("Marker-pw-77"), std::string::npos);
  EXPECT_EQ(bytes.find(std::string("M\0a\0r\0k\0e\0r", 11)), std::string::npos) << "not as UTF-16 either";
  EXPECT_EQ(kept.Read(), "Marker-pw-77");
  EXPECT_EQ(Record(), before) << "no disk is touched";

  // Before an encrypted backup an empty entry is refused; from the settings it removes the password.
  prompter_.asked.clear();
  CPasswordSetDlg required(prompter_, kept, true);
  ASSERT_TRUE(required.CreateModeless(nullptr));
  Enter(required, {{IDC_PASSWORD_NEW, L""}, {IDC_PASSWORD_AGAIN, L""}}, IDC_PASSWORD_SET_OK);
  EXPECT_EQ(required.Result(), 0);
  EXPECT_EQ(kept.Read(), "Marker-pw-77");
  CPasswordSetDlg removal(prompter_, kept, false);
  ASSERT_TRUE(removal.CreateModeless(nullptr));
  Enter(removal, {{IDC_PASSWORD_NEW, L""}, {IDC_PASSWORD_AGAIN, L""}}, IDC_PASSWORD_SET_OK);
  EXPECT_EQ(removal.Result(), IDOK);
  EXPECT_EQ(prompter_.asked, (std::vector<std::u16string>{u"Error / Encryption needs a password: please enter one.",
                                                          u"Tips / The backup password has been removed."}));
  EXPECT_EQ(GetFileAttributesW(WidePointer(kept.Path())), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(kept.Read(), std::nullopt);
}

// The password of an encrypted store: each entry tried at OK, a wrong one
// told inside while the dialog stays open.
TEST_F(PasswordDialogTest, StorePasswordPromptTriesEachEntry) {
  std::vector<std::string> tried;
  PasswordTry answer = PasswordTry::kRefused;
  CStorePasswordDlg prompt([&](std::string_view password) {
    tried.emplace_back(password);
    return answer;
  });
  ASSERT_TRUE(prompt.CreateModeless(nullptr));
  EXPECT_EQ(prompt.ItemText(IDC_STORE_PASSWORD_NOTE),
            L"This backup was encrypted with another password. Enter that password:");
  EXPECT_EQ(SendMessageW(prompt.Item(IDC_STORE_PASSWORD_INPUT), EM_GETPASSWORDCHAR, 0, 0), L'*');
  Enter(prompt, {{IDC_STORE_PASSWORD_INPUT, L"w\u00e4"}}, IDC_STORE_PASSWORD_OK);
  EXPECT_EQ(prompt.ItemText(IDC_STORE_PASSWORD_ERROR), L"Error:Password error!");
  EXPECT_EQ(prompt.ItemText(IDC_STORE_PASSWORD_INPUT), L"");
  SendMessageW(prompt.Handle(), WM_COMMAND, IDOK, 0);
  EXPECT_EQ(prompt.Result(), 0) << "Enter decides nothing";
  answer = PasswordTry::kAccepted;
  Enter(prompt, {{IDC_STORE_PASSWORD_INPUT, L"right"}}, IDC_STORE_PASSWORD_OK);
  EXPECT_EQ(prompt.Result(), IDOK);
  EXPECT_EQ(tried, (std::vector<std::string>{"w\xc3\xa4", "right"})) << "tried as UTF-8";

  answer = PasswordTry::kGiveUp;
  CStorePasswordDlg broken([&](std::string_view) { return answer; });
  ASSERT_TRUE(broken.CreateModeless(nullptr));
  Enter(broken, {{IDC_STORE_PASSWORD_INPUT, L"x"}}, IDC_STORE_PASSWORD_OK);
  EXPECT_EQ(broken.Result(), IDCANCEL);
  EXPECT_TRUE(prompter_.asked.empty());
}

TEST_F(PasswordDialogTest, PromptTellsAWrongPasswordInsideAndEnterClosesNothing) {
  PasswordRecord record{};
  ASSERT_EQ(BuildPasswordRecord(u"pw", record), PasswordEncoding::Ok);
  list_[0].m_passwordRecord = record;
  PasswordVerficateDlg prompt(list_, kPath);
  ASSERT_TRUE(prompt.CreateModeless(nullptr));
  EXPECT_EQ(GetWindowTextLengthW(prompt.Handle()), 23) << "Password Authentication";
  Enter(prompt, {{IDC_PASSWORD_INPUT, L""}}, IDC_PASSWORD_VERIFY_OK);
  EXPECT_EQ(prompt.ItemText(IDC_PASSWORD_VERIFY_ERROR), L"Error:Password error!");
  SendMessageW(prompt.Handle(), WM_COMMAND, IDOK, 0);
  SendMessageW(prompt.Handle(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(prompt.Result(), 0);
  Enter(prompt, {{IDC_PASSWORD_INPUT, L"pw"}}, IDC_PASSWORD_VERIFY_OK);
  EXPECT_EQ(prompt.Result(), IDOK);
  EXPECT_EQ(list_[0].m_unlocked, 1);
}

}  // namespace
}  // namespace qtr
