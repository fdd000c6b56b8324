// What every window of the program looks like to the system: no caption,
// no frame of any kind, a region that rounds its corners, and the picture
// close button in its top right corner.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

namespace qtr::test {

inline void ExpectOwnLook(HWND window, int closeButtonId) {
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_DLGFRAME | WS_BORDER | WS_SYSMENU), 0) << std::hex << style;
  EXPECT_EQ(exStyle & (WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE), 0) << std::hex << exStyle;
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  EXPECT_EQ(outer.right - outer.left, client.right) << "no frame around the client area";
  EXPECT_EQ(outer.bottom - outer.top, client.bottom);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(window, region), ERROR) << "corners rounded by a region";
  EXPECT_FALSE(PtInRegion(region, 0, 0)) << "the top left corner is cut off";
  DeleteObject(region);
  HWND close = GetDlgItem(window, closeButtonId);
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(close, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << "drawn from its pictures";
  RECT button;
  GetWindowRect(close, &button);
  EXPECT_GT(button.left, (outer.left + outer.right) / 2);
  EXPECT_LT(button.top - outer.top, 30);
}

}  // namespace qtr::test
