#include "pages/HotKeyDialog.h"

#include <commctrl.h>

#include "config/HotKeySetting.h"
#include "resource.h"
#include "SettingsWindowFixture.h"

namespace qtr {
namespace {

using test::RunModalWith;

class HotKeyDialogTest : public test::SettingsWindowTest {
 protected:
  void SetUp() override {
    SettingsWindowTest::SetUp();
    probe_ = CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  }
  void TearDown() override {
    DestroyWindow(probe_);
    SettingsWindowTest::TearDown();
  }
  // Whether the combination is free: another window can register it.
  bool Free(UINT modifiers, UINT key) const {
    if (!RegisterHotKey(probe_, 7, modifiers, key)) return false;
    UnregisterHotKey(probe_, 7);
    return true;
  }
  void StoreAndRegister(const HotKeySetting& hotKey) const {
    ASSERT_TRUE(Settings().StoreHotKey(hotKey));
    ASSERT_TRUE(RegisterHotKey(hostWindow_, kBackupHotKeyId, hotKey.modifiers, hotKey.virtualKey));
  }
  static void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
  static void Choose(HWND dialog, WORD value) {
    SendDlgItemMessageW(dialog, IDC_HOTKEY_CONTROL, HKM_SETHOTKEY, value, 0);
  }

  HWND probe_ = nullptr;
};

TEST_F(HotKeyDialogTest, OpeningFreesTheStoredHotKeyAndCancelPutsItBack) {
  StoreAndRegister({u"Ctrl + Alt + B", 'B', MOD_ALT | MOD_CONTROL});
  ASSERT_FALSE(Free(MOD_ALT | MOD_CONTROL, 'B'));
  CHotKey dialog(host_);
  bool freeWhileOpen = false;
  LRESULT preset = 0;
  const INT_PTR result = RunModalWith(dialog, hostWindow_, [&](HWND window) {
    freeWhileOpen = Free(MOD_ALT | MOD_CONTROL, 'B');
    preset = SendDlgItemMessageW(window, IDC_HOTKEY_CONTROL, HKM_GETHOTKEY, 0, 0);
    Choose(window, MAKEWORD('K', HOTKEYF_CONTROL));  // changed, then given up
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);   // Esc decides nothing
    ASSERT_TRUE(IsWindow(window));
    Click(window, IDC_HOTKEY_CANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(freeWhileOpen);
  EXPECT_EQ(preset, MAKEWORD('B', HOTKEYF_CONTROL | HOTKEYF_ALT));
  EXPECT_FALSE(Free(MOD_ALT | MOD_CONTROL, 'B'));  // working again
  EXPECT_TRUE(Free(MOD_CONTROL, 'K'));
  EXPECT_EQ(Attribute(u"HotKey", u"VirtualKeyCode"), u"66");
}

TEST_F(HotKeyDialogTest, WithoutAStoredHotKeyCtrlAltIsOffered) {
  CHotKey dialog(host_);
  LRESULT preset = 0;
  RECT client{}, close{};
  RunModalWith(dialog, hostWindow_, [&](HWND window) {
    preset = SendDlgItemMessageW(window, IDC_HOTKEY_CONTROL, HKM_GETHOTKEY, 0, 0);
    GetClientRect(window, &client);
    GetWindowRect(GetDlgItem(window, IDC_HOTKEY_CLOSE), &close);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&close), 2);
    Click(window, IDC_HOTKEY_CLOSE);
  });
  EXPECT_LE(close.right, client.right) << "the close button shows whole";
  EXPECT_EQ(preset, 0x0600);
  EXPECT_EQ(Attribute(u"HotKey", u"Str"), u"");
}

TEST_F(HotKeyDialogTest, OkStoresAndRegistersTheNewCombination) {
  StoreAndRegister({u"Ctrl + Alt + B", 'B', MOD_ALT | MOD_CONTROL});
  CHotKey dialog(host_);
  const INT_PTR result = RunModalWith(dialog, hostWindow_, [&](HWND window) {
    Choose(window, MAKEWORD('M', HOTKEYF_SHIFT | HOTKEYF_ALT));
    Click(window, IDC_HOTKEY_OK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Attribute(u"HotKey", u"VirtualKeyCode"), u"77");
  EXPECT_EQ(Attribute(u"HotKey", u"keyModifiers"), u"5");
  const std::u16string text = Attribute(u"HotKey", u"Str");
  EXPECT_EQ(text.substr(0, 14), u"Shift + Alt + ") << std::string(text.begin(), text.end());
  EXPECT_FALSE(Free(MOD_SHIFT | MOD_ALT, 'M'));
  EXPECT_TRUE(Free(MOD_ALT | MOD_CONTROL, 'B'));  // the old one is gone
}

TEST_F(HotKeyDialogTest, OkWithoutAModifierRemovesTheHotKey) {
  StoreAndRegister({u"Ctrl + Alt + B", 'B', MOD_ALT | MOD_CONTROL});
  CHotKey dialog(host_);
  RunModalWith(dialog, hostWindow_, [&](HWND window) {
    Choose(window, MAKEWORD('B', 0));
    Click(window, IDC_HOTKEY_OK);
  });
  EXPECT_EQ(Attribute(u"HotKey", u"Str"), u"");
  EXPECT_EQ(Attribute(u"HotKey", u"VirtualKeyCode"), u"0");
  EXPECT_EQ(Attribute(u"HotKey", u"keyModifiers"), u"0");
  EXPECT_TRUE(Free(MOD_ALT | MOD_CONTROL, 'B'));
  EXPECT_TRUE(prompter_.asked.empty());
}

TEST_F(HotKeyDialogTest, CombinationTakenElsewhereIsToldAndNotStored) {
  StoreAndRegister({u"Ctrl + Alt + B", 'B', MOD_ALT | MOD_CONTROL});
  ASSERT_TRUE(RegisterHotKey(probe_, 9, MOD_CONTROL | MOD_SHIFT, 'K'));
  CHotKey dialog(host_);
  bool stillOpen = false;
  RunModalWith(dialog, hostWindow_, [&](HWND window) {
    Choose(window, MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
    Click(window, IDC_HOTKEY_OK);
    stillOpen = IsWindow(window) != FALSE;
    Click(window, IDC_HOTKEY_CANCEL);
  });
  UnregisterHotKey(probe_, 9);
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(prompter_.asked.size(), 1u);
  EXPECT_EQ(prompter_.asked[0].message,
            u"This hotkey is already used by another program, please choose another one!");
  EXPECT_EQ(Attribute(u"HotKey", u"VirtualKeyCode"), u"66");
  EXPECT_FALSE(Free(MOD_ALT | MOD_CONTROL, 'B'));  // Cancel left the old one working
}

}  // namespace
}  // namespace qtr
