#include "pages/ConfirmationDialog.h"

#include <gtest/gtest.h>

#include "WindowLook.h"
#include "resource.h"
#include "widgets/GdiplusSession.h"

namespace qtr {
namespace {

// Runs the dialog modally; act is called on the window thread once it is up.
template <typename Act>
INT_PTR RunWith(CMakeSureDlg& dialog, Act act) {
  struct Context {
    CMakeSureDlg* dialog;
    Act* act;
  };
  static Context* current = nullptr;
  Context context{&dialog, &act};
  current = &context;
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    (*current->act)(*current->dialog);
  });
  return dialog.RunModal(nullptr);
}

void Fire(CMakeSureDlg& dialog, int ticks) {
  for (int i = 0; i < ticks && IsWindow(dialog.Handle()); ++i) SendMessageW(dialog.Handle(), WM_TIMER, 1, 0);
}

class ConfirmationDialogTest : public testing::Test {
 protected:
  GdiplusSession gdiplus_;
};

TEST_F(ConfirmationDialogTest, CountdownConfirmsAfterThirtyTicks) {
  CMakeSureDlg dialog({u"Tips", u"Start the backup now?", true}, nullptr);
  int openAfter29 = -1;
  const INT_PTR result = RunWith(dialog, [&](CMakeSureDlg& d) {
    Fire(d, 29);
    openAfter29 = IsWindow(d.Handle()) ? 1 : 0;
    Fire(d, 1);
  });
  EXPECT_EQ(openAfter29, 1);
  EXPECT_EQ(result, IDOK);
}

TEST_F(ConfirmationDialogTest, WithoutCountdownItWaitsForTheUser) {
  CMakeSureDlg dialog({u"Tips", u"Cancel the backup/restore operation?", false}, nullptr);
  bool stillOpen = false;
  const INT_PTR result = RunWith(dialog, [&](CMakeSureDlg& d) {
    Fire(d, 100);
    stillOpen = IsWindow(d.Handle()) != FALSE;
    SendMessageW(GetDlgItem(d.Handle(), IDC_CONFIRM_CANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(ConfirmationDialogTest, BorderlessAndRoundedWithThePictureCloseButton) {
  CMakeSureDlg dialog({u"Tips", u"Message", false}, nullptr);
  const INT_PTR result = RunWith(dialog, [&](CMakeSureDlg& d) {
    test::ExpectOwnLook(d.Handle(), IDC_CONFIRM_CLOSE);
    SendMessageW(GetDlgItem(d.Handle(), IDC_CONFIRM_CLOSE), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(result, IDCANCEL) << "the close button answers no";
}

TEST_F(ConfirmationDialogTest, EnterAndEscDecideNothing) {
  CMakeSureDlg dialog({u"Tips", u"Message", false}, nullptr);
  bool stillOpen = false;
  std::wstring title, message, ok, cancel;
  const INT_PTR result = RunWith(dialog, [&](CMakeSureDlg& d) {
    SendMessageW(d.Handle(), WM_COMMAND, IDOK, 0);
    SendMessageW(d.Handle(), WM_COMMAND, IDCANCEL, 0);
    stillOpen = IsWindow(d.Handle()) != FALSE;
    title = d.ItemText(IDC_CONFIRM_TITLE);
    message = d.ItemText(IDC_CONFIRM_MESSAGE);
    ok = d.ItemText(IDC_CONFIRM_OK);
    cancel = d.ItemText(IDC_CONFIRM_CANCEL);
    SendMessageW(GetDlgItem(d.Handle(), IDC_CONFIRM_OK), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(title, L"Tips");
  EXPECT_EQ(message, L"Message");
  EXPECT_EQ(ok, L"OK");
  EXPECT_EQ(cancel, L"Cancel");
}

TEST_F(ConfirmationDialogTest, ClosesConfirmedWhenTheMainWindowIsGoneOrWhenAskedTo) {
  HWND mainWindow = CreateWindowExW(0, L"STATIC", L"main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
  CMakeSureDlg dialog({u"Tips", u"Message", false}, mainWindow);
  const INT_PTR result = RunWith(dialog, [&](CMakeSureDlg& d) {
    DestroyWindow(mainWindow);
    Fire(d, 1);
  });
  EXPECT_EQ(result, IDOK);

  CMakeSureDlg asked({u"Tips", u"Message", false}, nullptr);
  EXPECT_EQ(RunWith(asked, [](CMakeSureDlg& d) { d.CloseAsConfirmed(); }), IDOK);

  CMakeSureDlg closed({u"Tips", u"Message", true}, nullptr);
  EXPECT_EQ(RunWith(closed,
                    [](CMakeSureDlg& d) {
                      SendMessageW(GetDlgItem(d.Handle(), IDC_CONFIRM_CLOSE), BM_CLICK, 0, 0);
                    }),
            IDCANCEL);
}

// The window's height, whether the message box scrolls, and whether the
// message ends above the buttons.
struct Fit {
  int height = 0;
  bool scrolls = false;
  bool clearOfButtons = false;
};

Fit FitOf(const std::u16string& message) {
  CMakeSureDlg dialog({u"Tips", message, false}, nullptr);
  Fit fit;
  RunWith(dialog, [&](CMakeSureDlg& d) {
    RECT window, text, ok;
    GetWindowRect(d.Handle(), &window);
    GetWindowRect(GetDlgItem(d.Handle(), IDC_CONFIRM_MESSAGE), &text);
    GetWindowRect(GetDlgItem(d.Handle(), IDC_CONFIRM_OK), &ok);
    fit.height = window.bottom - window.top;
    fit.scrolls = (GetWindowLongPtrW(GetDlgItem(d.Handle(), IDC_CONFIRM_MESSAGE), GWL_STYLE) & WS_VSCROLL) != 0;
    fit.clearOfButtons = text.bottom <= ok.top;
    d.CloseAsConfirmed();
  });
  return fit;
}

TEST_F(ConfirmationDialogTest, GrowsToFitALongMessageAndScrollsPastItsLimit) {
  const Fit one = FitOf(u"Start backup now ?");
  EXPECT_EQ(one.height, CMakeSureDlg::kHeight);
  EXPECT_FALSE(one.scrolls);

  std::u16string sentences;
  for (int i = 0; i < 6; ++i) sentences += u"This disk keeps no password: its last partition covers the sector. ";
  const Fit six = FitOf(sentences);
  EXPECT_GT(six.height, CMakeSureDlg::kHeight);
  EXPECT_LT(six.height, CMakeSureDlg::kMaxHeight);
  EXPECT_FALSE(six.scrolls);
  EXPECT_TRUE(six.clearOfButtons);

  std::u16string lines;
  for (int i = 0; i < 40; ++i) lines += u"C:\\Data\\file.txt;Fail(5) Access is denied.\n";
  const Fit forty = FitOf(lines);
  EXPECT_EQ(forty.height, CMakeSureDlg::kMaxHeight);
  EXPECT_TRUE(forty.scrolls);
  EXPECT_TRUE(forty.clearOfButtons);
}

}  // namespace
}  // namespace qtr
