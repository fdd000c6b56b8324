#include "shell/TrayIcon.h"

#include <gtest/gtest.h>

#include "resource.h"
#include "platform/Handles.h"

namespace qtr {
namespace {

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

class TrayIconTest : public testing::Test {
 protected:
  void SetUp() override {
    window_.Reset(CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_NE(window_.Get(), nullptr);
    icon_ = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, 16, 16, LR_SHARED));
    ASSERT_NE(icon_, nullptr);
    tray_.Attach(window_.Get());
  }

  void Notify(UINT mouseMessage) {
    SendMessageW(window_.Get(), CTrayIcon::kCallbackMessage, 0, mouseMessage);
    Pump();
  }

  UniqueWindow window_;
  HICON icon_ = nullptr;
  CTrayIcon tray_;
};

TEST_F(TrayIconTest, IconIsShownAndComesBackAfterTheTaskbarRestarts) {
  ASSERT_TRUE(tray_.SetIcon(icon_, L"Vantro"));
  EXPECT_TRUE(tray_.Shown());
  // A restarted taskbar has forgotten every icon; ours adds itself again.
  SendMessageW(window_.Get(), CTrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(tray_.Shown());
  ASSERT_TRUE(tray_.SetIcon(icon_, std::wstring(300, L'x')));  // the tooltip is cut, not overrun
}

TEST_F(TrayIconTest, DoubleClickShowsAHiddenWindowAndMinimizesOneInFront) {
  ASSERT_TRUE(tray_.SetIcon(icon_, L"Vantro"));
  ShowWindow(window_.Get(), SW_HIDE);
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(window_.Get()));
  EXPECT_FALSE(IsIconic(window_.Get()));
  SetForegroundWindow(window_.Get());
  if (GetForegroundWindow() == window_.Get()) {
    Notify(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsIconic(window_.Get()));
  }
  // Messages for another icon id are not ours.
  ShowWindow(window_.Get(), SW_HIDE);
  SendMessageW(window_.Get(), CTrayIcon::kCallbackMessage, 7, WM_LBUTTONDBLCLK);
  EXPECT_FALSE(IsWindowVisible(window_.Get()));
}

TEST_F(TrayIconTest, DisplayCommandIsGreyedWhileTheWindowIsVisible) {
  ASSERT_TRUE(tray_.LoadTrayMenu(IDM_TRAY));
  HMENU popup = GetSubMenu(tray_.Menu(), 0);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(GetMenuItemCount(popup), 4);
  // The menu opens modally; a timer closes it again.
  const auto closeMenu = [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
  };
  SetTimer(nullptr, 0, 100, closeMenu);
  Notify(WM_RBUTTONUP);
  EXPECT_NE(GetMenuState(popup, IDM_TRAY_DISPLAY, MF_BYCOMMAND) & MF_GRAYED, 0u);

  ShowWindow(window_.Get(), SW_HIDE);
  SetTimer(nullptr, 0, 100, closeMenu);
  Notify(WM_RBUTTONUP);
  EXPECT_EQ(GetMenuState(popup, IDM_TRAY_DISPLAY, MF_BYCOMMAND) & MF_GRAYED, 0u);
  EXPECT_EQ(GetMenuDefaultItem(popup, TRUE, 0), 0u);
}

}  // namespace
}  // namespace qtr
