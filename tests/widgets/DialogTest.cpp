#include "widgets/Dialog.h"

#include <gtest/gtest.h>

#include "TestDialogIds.h"
#include "support/MessagePump.h"

namespace qtr {
namespace {

using test::PumpMessages;

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

// Posts a command to a window once it is shown, then waits.
class PostingDialog : public Dialog {
 public:
  PostingDialog(HWND to, int id) : Dialog(IDD_TEST_DIALOG), to_(to), id_(id) {}

 protected:
  bool OnInit() override {
    PostMessageW(to_ != nullptr ? to_ : Handle(), WM_COMMAND, MAKEWPARAM(id_, BN_CLICKED), 0);
    return true;
  }
  bool OnCommand(int id, int, HWND) override {
    if (id == 1) EndModal(42);
    return true;
  }

 private:
  HWND to_;
  int id_;
};

TEST(Dialog, EndingWithNestedModalsEndsThoseOverItAndOpensNoneUntilItHasEnded) {
  // The outer one opens an inner one, which asks the outer one to end; the
  // inner one ends too, and one more opened then does not show.
  class OuterDialog : public Dialog {
   public:
    OuterDialog() : Dialog(IDD_TEST_DIALOG) {}
    INT_PTR inner = 0, later = 0;

   protected:
    bool OnInit() override {
      PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
      return true;
    }
    bool OnCommand(int id, int, HWND) override {
      if (id == 2) {
        PostingDialog nested(Handle(), 3);
        inner = nested.RunModal(Handle());
        PostingDialog another(nullptr, 1);
        later = another.RunModal(Handle());
      }
      if (id == 3) EndWithNestedModals(7);
      return true;
    }
  } outer;
  EXPECT_EQ(outer.RunModal(nullptr), 7);
  EXPECT_EQ(outer.inner, IDCANCEL);
  EXPECT_EQ(outer.later, IDCANCEL);
  PostingDialog afterwards(nullptr, 1);
  EXPECT_EQ(afterwards.RunModal(nullptr), 42) << "a dialog after the ending one shows again";
}

}  // namespace
}  // namespace qtr
