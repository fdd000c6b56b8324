#include "widgets/Dialog.h"

#include <gtest/gtest.h>

#include "TestDialogIds.h"

namespace qtr {
namespace {

class CountingDialog : public Dialog {
 public:
  CountingDialog() : Dialog(IDD_TEST_DIALOG) {}
  int clicks = 0;
  int timerTicks = 0;

 protected:
  bool OnCommand(int id, int code, HWND) override {
    if (id != IDC_TEST_BUTTON || code != BN_CLICKED) return false;
    ++clicks;
    SetItemText(IDC_TEST_LABEL, L"Clicked " + std::to_wstring(clicks));
    return true;
  }
  bool OnTimer(UINT_PTR id) override {
    if (id != 7) return false;
    ++timerTicks;
    KillTimer(Handle(), 7);
    return true;
  }
};

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

TEST(Dialog, ModelessDialogFromTemplateShowsItsControlsAndDispatchesCommands) {
  CountingDialog dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  HWND hwnd = dialog.Handle();
  ASSERT_NE(hwnd, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(hwnd));

  wchar_t text[64] = {};
  GetWindowTextW(GetDlgItem(hwnd, IDC_TEST_LABEL), text, 64);
  EXPECT_STREQ(text, L"Text from the template");
  GetWindowTextW(hwnd, text, 64);
  EXPECT_STREQ(text, L"Harness");

  SendMessageW(GetDlgItem(hwnd, IDC_TEST_BUTTON), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(hwnd, IDC_TEST_BUTTON), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.clicks, 2);
  EXPECT_EQ(dialog.ItemText(IDC_TEST_LABEL), L"Clicked 2");
}

TEST(Dialog, TimerReachesTheHandler) {
  CountingDialog dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  SetTimer(dialog.Handle(), 7, 1, nullptr);
  const DWORD start = GetTickCount();
  while (dialog.timerTicks == 0 && GetTickCount() - start < 5000) {
    PumpMessages();
    Sleep(1);
  }
  EXPECT_EQ(dialog.timerTicks, 1);
}

TEST(Dialog, ModalDialogEndsWithTheGivenCode) {
  class ClosingDialog : public Dialog {
   public:
    ClosingDialog() : Dialog(IDD_TEST_DIALOG) {}

   protected:
    bool OnInit() override {
      PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), 0);
      return true;
    }
    bool OnCommand(int id, int, HWND) override {
      if (id == IDC_TEST_BUTTON) EndModal(42);
      return true;
    }
  } dialog;
  EXPECT_EQ(dialog.RunModal(nullptr), 42);
  EXPECT_EQ(dialog.Handle(), nullptr);
}

}  // namespace
}  // namespace qtr
