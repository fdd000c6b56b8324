#include "shell/AboutDialog.h"

#include <gtest/gtest.h>

#include "WindowLook.h"
#include "resource.h"
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

}  // namespace
}  // namespace qtr
