#include "shell/AboutDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Version.h"
#include "WindowLook.h"
#include "config/LanguageTable.h"
#include "resource.h"
#include "support/ExecutableFolder.h"
#include "widgets/GdiplusSession.h"

namespace qtr {
namespace {

// Runs the About box modally; act is called on the window thread once it is up.
template <typename Act>
INT_PTR RunWith(CAboutDlg& dialog, Act act) {
  static Act* current = nullptr;
  static CAboutDlg* shown = nullptr;
  current = &act;
  shown = &dialog;
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    (*current)(*shown);
  });
  return dialog.RunModal(nullptr);
}

class AboutDialogTest : public testing::Test {
 protected:
  GdiplusSession gdiplus_;
};

TEST_F(AboutDialogTest, HasTheProgramsOwnLookAndItsCloseButtonClosesIt) {
  CAboutDlg about;
  wchar_t title[64] = {};
  const INT_PTR result = RunWith(about, [&](CAboutDlg& d) {
    test::ExpectOwnLook(d.Handle(), IDC_ABOUT_CLOSE);
    GetWindowTextW(d.Handle(), title, 64);
    SendMessageW(GetDlgItem(d.Handle(), IDC_ABOUT_CLOSE), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_STREQ(title, L"About XVQ GUI");
}

TEST_F(AboutDialogTest, EnterAndEscLeaveItOpenAndOkClosesIt) {
  CAboutDlg about;
  bool stillOpen = false;
  const INT_PTR result = RunWith(about, [&](CAboutDlg& d) {
    SendMessageW(d.Handle(), WM_COMMAND, IDOK, 0);
    SendMessageW(d.Handle(), WM_COMMAND, IDCANCEL, 0);
    stillOpen = IsWindow(d.Handle()) != FALSE;
    SendMessageW(GetDlgItem(d.Handle(), IDC_ABOUT_OK), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, IDOK);
}

TEST_F(AboutDialogTest, TextsComeFromTheLanguageTableBesideTheNameAndVersion) {
  const auto textsOf = [] {
    CAboutDlg about;
    std::vector<std::wstring> texts;
    RunWith(about, [&](CAboutDlg& d) {
      for (int id : {IDC_ABOUT_NAME, IDC_ABOUT_VERSION, IDC_ABOUT_DESCRIPTION, IDC_ABOUT_OK})
        texts.push_back(d.ItemText(id));
      SendMessageW(GetDlgItem(d.Handle(), IDC_ABOUT_OK), BM_CLICK, 0, 0);
    });
    return texts;
  };
  const std::wstring version = L"" QTR_VERSION_TEXT;
  EXPECT_EQ(textsOf(), (std::vector<std::wstring>{L"QTR XVQ Backup", L"Version " + version,
                                                   L"Backs up the files you choose to a USB disk, and brings them back.",
                                                   L"OK"}));
  ASSERT_TRUE(ApplyLanguage(test::ExecutableFolder(), u"0x0804"));
  const std::vector<std::wstring> chinese = textsOf();
  ASSERT_TRUE(ApplyLanguage(test::ExecutableFolder(), u"0x0409"));
  ASSERT_EQ(chinese.size(), 4u);
  EXPECT_EQ(chinese[0], L"QTR XVQ Backup");
  EXPECT_EQ(chinese[1], L"\u7248\u672c " + version);
  EXPECT_EQ(chinese[3], L"\u786e\u5b9a");
}

}  // namespace
}  // namespace qtr
