#include "shell/TrayIcon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "platform/Handles.h"
#include "support/MessagePump.h"

namespace qtr {
namespace {

using test::PumpMessages;

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
    PumpMessages();
  }

  UniqueWindow window_;
  HICON icon_ = nullptr;
  CTrayIcon tray_;
};

// A shell whose answers the test decides, recording what it was asked.
class RecordingTray : public CTrayIcon {
 public:
  struct Call {
    DWORD message;
    HICON icon;
    std::wstring tip;
    UINT flags;
    std::wstring info, infoTitle;
    DWORD infoFlags;
  };
  bool accept = true;
  std::vector<Call> calls;

 protected:
  bool CallShell(DWORD message, NOTIFYICONDATAW& data) override {
    calls.push_back({message, data.hIcon, data.szTip, data.uFlags, data.szInfo, data.szInfoTitle, data.dwInfoFlags});
    return accept || message == NIM_DELETE;
  }
};

TEST_F(TrayIconTest, IconIsShownAndComesBackAfterTheTaskbarRestarts) {
  ASSERT_TRUE(tray_.SetIcon(icon_, L"Vantro"));
  EXPECT_TRUE(tray_.Shown());
  // A restarted taskbar has forgotten every icon; ours adds itself again.
  SendMessageW(window_.Get(), CTrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(tray_.Shown());
}

TEST_F(TrayIconTest, IconRefusedBeforeTheTaskbarExistsIsAddedWhenItComes) {
  RecordingTray tray;
  tray.Attach(window_.Get());
  tray.accept = false;  // started from the Run key: no taskbar yet
  EXPECT_FALSE(tray.SetIcon(icon_, L"Vantro"));
  EXPECT_FALSE(tray.Shown());
  EXPECT_EQ(tray.Icon(), icon_) << "the icon is kept";

  tray.accept = true;
  tray.calls.clear();
  SendMessageW(window_.Get(), CTrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(tray.Shown());
  ASSERT_EQ(tray.calls.size(), 1u);
  EXPECT_EQ(tray.calls[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(tray.calls[0].icon, icon_);
  EXPECT_EQ(tray.calls[0].tip, L"Vantro");
  EXPECT_EQ(tray.calls[0].flags, static_cast<UINT>(NIF_ICON | NIF_TIP | NIF_MESSAGE));
}

TEST_F(TrayIconTest, ShownIconIsChangedAndAFailedChangeAddsItAgain) {
  RecordingTray tray;
  tray.Attach(window_.Get());
  ASSERT_TRUE(tray.SetIcon(icon_, L"Vantro"));
  ASSERT_TRUE(tray.SetIcon(icon_, std::wstring(300, L'x')));
  ASSERT_EQ(tray.calls.size(), 2u);
  EXPECT_EQ(tray.calls[1].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(tray.calls[1].tip, std::wstring(127, L'x')) << "the tooltip is cut, not overrun";
  // Without a taskbar yet the broadcast changes nothing for an icon never set.
  RecordingTray empty;
  empty.Attach(window_.Get());
  SendMessageW(window_.Get(), CTrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(empty.calls.empty());
  EXPECT_FALSE(empty.Shown());
}

TEST_F(TrayIconTest, BalloonIsTheIconsOwnNotificationAndItsClickNamesTheJob) {
  RecordingTray tray;
  tray.Attach(window_.Get());
  std::vector<uint64_t> clicked;
  tray.SetBalloonClick([&clicked](uint64_t id) { clicked.push_back(id); });
  ASSERT_TRUE(tray.SetIcon(icon_, L"Vantro"));
  ASSERT_TRUE(tray.ShowBalloon(L"Vantro", L"Backup to P: 3 files failed", true, 17));
  ASSERT_EQ(tray.calls.size(), 2u);
  EXPECT_EQ(tray.calls[1].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(tray.calls[1].flags & (NIF_INFO | NIF_ICON), static_cast<UINT>(NIF_INFO | NIF_ICON));
  EXPECT_EQ(tray.calls[1].info, L"Backup to P: 3 files failed");
  EXPECT_EQ(tray.calls[1].infoTitle, L"Vantro");
  EXPECT_EQ(tray.calls[1].infoFlags, static_cast<DWORD>(NIIF_WARNING));
  EXPECT_EQ(tray.LastBalloon(), L"Backup to P: 3 files failed");
  ASSERT_TRUE(tray.ShowBalloon(L"Vantro", std::wstring(300, L'y'), false, 18));
  EXPECT_EQ(tray.calls[2].info, std::wstring(255, L'y')) << "cut, not overrun";
  EXPECT_EQ(tray.calls[2].infoFlags, static_cast<DWORD>(NIIF_INFO));
  // A later change of the icon does not show the balloon again.
  tray.SetIcon(icon_, L"Vantro");
  EXPECT_EQ(tray.calls[3].flags & NIF_INFO, 0u);

  SendMessageW(window_.Get(), CTrayIcon::kCallbackMessage, 0, NIN_BALLOONUSERCLICK);
  EXPECT_EQ(clicked, std::vector<uint64_t>{18});
  // A balloon on an icon the shell refused so far adds the icon with it.
  RecordingTray refused;
  refused.accept = false;
  refused.Attach(window_.Get());
  refused.SetIcon(icon_, L"Vantro");
  refused.accept = true;
  EXPECT_TRUE(refused.ShowBalloon(L"Vantro", L"x", false, 1));
  EXPECT_EQ(refused.calls.back().message, static_cast<DWORD>(NIM_ADD));
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

TEST_F(TrayIconTest, MenuGreysDisplayWhileTheWindowIsVisibleAndFollowsTheNotificationAreaSteps) {
  ASSERT_TRUE(tray_.LoadTrayMenu(IDM_TRAY));
  HMENU popup = GetSubMenu(tray_.Menu(), 0);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(GetMenuItemCount(popup), 5);  // Display, History, Help, About, Quit
  // The menu opens modally; a timer closes it again.
  const auto closeMenu = [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
  };
  SetTimer(nullptr, 0, 100, closeMenu);
  SendMessageW(window_.Get(), CTrayIcon::kCallbackMessage, 0, WM_RBUTTONUP);
  EXPECT_NE(GetMenuState(popup, IDM_TRAY_DISPLAY, MF_BYCOMMAND) & MF_GRAYED, 0u);
  // The owner was brought to the front for the menu and had a message after it.
  EXPECT_EQ(GetForegroundWindow(), window_.Get());
  bool benign = false;
  for (MSG message; PeekMessageW(&message, window_.Get(), 0, 0, PM_REMOVE);) {
    if (message.message == WM_NULL) benign = true;
    DispatchMessageW(&message);
  }
  EXPECT_TRUE(benign);

  ShowWindow(window_.Get(), SW_HIDE);
  SetTimer(nullptr, 0, 100, closeMenu);
  Notify(WM_RBUTTONUP);
  EXPECT_EQ(GetMenuState(popup, IDM_TRAY_DISPLAY, MF_BYCOMMAND) & MF_GRAYED, 0u);
  EXPECT_EQ(GetMenuDefaultItem(popup, TRUE, 0), 0u);
}

}  // namespace
}  // namespace qtr
