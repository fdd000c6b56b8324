#include "shell/MainWindow.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <commctrl.h>

#include <vector>

#include "config/LanguageTable.h"
#include "resource.h"
#include "support/ExecutableFolder.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"
#include "ui/HelpViewer.h"
#include "widgets/GdiplusSession.h"

namespace qtr {
namespace {

using test::PumpMessages;

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.CreateModeless(nullptr));
    ShowWindow(window_.Handle(), SW_SHOW);
    PumpMessages();
  }
  GdiplusSession gdiplus_;
  CVantroDlg window_{false};
};

TEST_F(MainWindowTest, IsFoundByItsTitleAndHasItsSizeButNoTaskbarButton) {
  EXPECT_EQ(FindWindowW(nullptr, L"QTR XVQ GUI"), window_.Handle());
  RECT r;
  GetWindowRect(window_.Handle(), &r);
  EXPECT_EQ(r.right - r.left, CVantroDlg::kWidth);
  EXPECT_EQ(r.bottom - r.top, CVantroDlg::kHeight);
  const LONG_PTR style = GetWindowLongPtrW(window_.Handle(), GWL_EXSTYLE);
  EXPECT_NE(style & WS_EX_TOOLWINDOW, 0);
  EXPECT_EQ(style & WS_EX_APPWINDOW, 0);
  for (int id : {IDC_MAIN_QUIT, IDC_MAIN_HELP, IDC_MAIN_ABOUT, IDC_MAIN_MINIMIZE})
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window_.Handle(), id))) << id;
}

TEST_F(MainWindowTest, EnterAndEscCloseNothing) {
  SendMessageW(window_.Handle(), WM_COMMAND, IDOK, 0);
  SendMessageW(window_.Handle(), WM_COMMAND, IDCANCEL, 0);
  PumpMessages();
  EXPECT_TRUE(IsWindow(window_.Handle()));
  EXPECT_TRUE(IsWindowVisible(window_.Handle()));
}

TEST_F(MainWindowTest, MinimizeHidesToTheTrayAndDisplayBringsItBack) {
  SendMessageW(GetDlgItem(window_.Handle(), IDC_MAIN_MINIMIZE), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(window_.Handle()));
  SendMessageW(window_.Handle(), WM_COMMAND, IDM_TRAY_DISPLAY, 0);
  EXPECT_TRUE(IsWindowVisible(window_.Handle()));
}

TEST_F(MainWindowTest, AJobThatEndsWhileTheWindowIsHiddenIsToldInABalloon) {
  JobRecord record;
  record.id = 4;
  record.target = u"P:";
  record.files = 1233;
  record.failedFiles = 1;
  const auto lastNotice = [this] {
    wchar_t text[300] = {};
    GetDlgItemTextW(window_.Handle(), IDC_MAIN_LAST_NOTICE, text, 300);
    return std::wstring(text);
  };
  window_.OnJobRecorded(record);  // on the screen: the progress window tells
  EXPECT_EQ(lastNotice(), L"");
  EXPECT_EQ(window_.Tray().LastBalloon(), L"");
  SendMessageW(GetDlgItem(window_.Handle(), IDC_MAIN_MINIMIZE), BM_CLICK, 0, 0);
  window_.OnJobRecorded(record);
  EXPECT_EQ(window_.Tray().LastBalloon(), L"Backup to P: 1 file failed");
  EXPECT_EQ(lastNotice(), L"Backup to P: 1 file failed");
  record.ending = JobEnding::kTargetRemoved;
  window_.OnJobRecorded(record);
  EXPECT_EQ(lastNotice(), L"Backup to P: stopped, the disk was removed (1 file failed)");
  // Its click opens the History window on that job (the window is not there yet: nothing breaks).
  SendMessageW(window_.Handle(), CTrayIcon::kCallbackMessage, 0, NIN_BALLOONUSERCLICK);
  EXPECT_FALSE(IsWindowVisible(window_.Handle()));
}

// The help viewer's starts, recorded in place of real processes.
std::vector<std::u16string> helpStarts;

TEST_F(MainWindowTest, HelpButtonTrayHelpAndF1StartTheViewerOnTheHelpFileBesideTheProgram) {
  helpStarts.clear();
  const ProcessStarter previous =
      ReplaceHelpProcessStarter([](const std::u16string& command) { helpStarts.push_back(command); });
  SendMessageW(GetDlgItem(window_.Handle(), IDC_MAIN_HELP), BM_CLICK, 0, 0);
  SendMessageW(window_.Handle(), WM_COMMAND, IDM_TRAY_HELP, 0);
  // F1 on a control of the window: the help request goes up to the window.
  HELPINFO f1{sizeof f1, HELPINFO_WINDOW, IDC_MAIN_QUIT, GetDlgItem(window_.Handle(), IDC_MAIN_QUIT), 0, {}};
  SendMessageW(GetDlgItem(window_.Handle(), IDC_MAIN_QUIT), WM_HELP, 0, reinterpret_cast<LPARAM>(&f1));
  ReplaceHelpProcessStarter(previous);
  const std::u16string expected = u"hh.exe \"" + test::ExecutableFolder() + u"XVQ.chm\"";
  EXPECT_EQ(helpStarts, (std::vector<std::u16string>{expected, expected, expected}));
}

TEST_F(MainWindowTest, InChineseHelpOpensTheChineseHelpFileWhereItLiesBesideTheProgram) {
  const std::u16string folder = test::ExecutableFolder();
  const std::u16string chineseHelp = folder + u"XVQ_0x0804.chm";
  ASSERT_TRUE(ApplyLanguage(folder, u"0x0804"));
  test::WriteBytes(chineseHelp, "ITSF");
  helpStarts.clear();
  const ProcessStarter previous =
      ReplaceHelpProcessStarter([](const std::u16string& command) { helpStarts.push_back(command); });
  SendMessageW(GetDlgItem(window_.Handle(), IDC_MAIN_HELP), BM_CLICK, 0, 0);
  DeleteFileW(reinterpret_cast<const wchar_t*>(chineseHelp.c_str()));
  SendMessageW(window_.Handle(), WM_COMMAND, IDM_TRAY_HELP, 0);
  ReplaceHelpProcessStarter(previous);
  ApplyLanguage(folder, u"");
  EXPECT_EQ(helpStarts, (std::vector<std::u16string>{u"hh.exe \"" + chineseHelp + u"\"",
                                                      u"hh.exe \"" + folder + u"XVQ.chm\""}));
}

TEST_F(MainWindowTest, QuitEndsTheWindow) {
  HWND hwnd = window_.Handle();
  SendMessageW(GetDlgItem(hwnd, IDC_MAIN_QUIT), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
}  // namespace qtr

namespace qtr {
namespace {

class PathsSeen : public ShellChangeSink {
 public:
  std::u16string seen;
  void AddPath(const std::u16string& p) override { seen += u"add " + p + u";"; }
  void RemovePath(const std::u16string& p) override { seen += u"remove " + p + u";"; }
  void RenameInPlace(const std::u16string& a, const std::u16string& b) override {
    seen += u"rename " + a + u">" + b + u";";
  }
  void DriveArrived(const std::u16string& p) override { seen += u"arrived " + p + u";"; }
  void DriveRemoved(const std::u16string& p) override { seen += u"removed " + p + u";"; }
  void UpdateShare(const std::u16string&) override {}
  void RefreshFolder(const std::u16string&) override {}
  void ChangeHandled() override {}
};

TEST_F(MainWindowTest, ShellNotificationsReachTheTreesAsPaths) {
  PathsSeen sink;
  window_.SetShellChangeSink(&sink);
  PIDLIST_ABSOLUTE items[2] = {ILCreateFromPathW(L"C:\\windows"), ILCreateFromPathW(L"C:\\users")};
  ASSERT_NE(items[0], nullptr);
  SendMessageW(window_.Handle(), CVantroDlg::kShellChangeMessage, reinterpret_cast<WPARAM>(items),
               SHCNE_MKDIR);
  SendMessageW(window_.Handle(), CVantroDlg::kShellChangeMessage, reinterpret_cast<WPARAM>(items),
               SHCNE_RENAMEFOLDER);
  ILFree(items[0]);
  ILFree(items[1]);
  EXPECT_EQ(sink.seen, u"add C:\\windows;rename C:\\windows>C:\\users;");
  window_.SetShellChangeSink(nullptr);
}

}  // namespace
}  // namespace qtr

namespace qtr {
namespace {

// With the Chinese table active the window's texts come from it; with the
// English one, from the defaults again.
TEST_F(MainWindowTest, TextsFollowTheActiveLanguageTable) {
  HWND quit = GetDlgItem(window_.Handle(), IDC_MAIN_QUIT);
  // The tooltip windows belong to the main window's thread; the pages have
  // tooltips of their own, and the one that knows the Quit button answers.
  std::vector<HWND> tooltips;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM found) -> BOOL {
        wchar_t name[64];
        GetClassNameW(hwnd, name, 64);
        if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) reinterpret_cast<std::vector<HWND>*>(found)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tooltips));
  ASSERT_FALSE(tooltips.empty());
  const auto tipOf = [&](HWND control) {
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_.Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    for (HWND tooltip : tooltips) {
      SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
      if (text[0] != 0) break;
    }
    return std::wstring(text);
  };
  EXPECT_EQ(tipOf(quit), L"Quit");

  window_.ApplyLanguage(u"0x0804");
  EXPECT_EQ(tipOf(quit), L"\u9000\u51fa");
  window_.ApplyLanguage(u"0x0409");
  EXPECT_EQ(tipOf(quit), L"Quit");
}

}  // namespace
}  // namespace qtr
