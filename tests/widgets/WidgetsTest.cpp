#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include "TestDialogIds.h"
#include "widgets/ControlColours.h"
#include "widgets/Dialog.h"
#include "widgets/GdiplusSession.h"
#include "widgets/Picture.h"
#include "widgets/PictureButton.h"
#include "widgets/TextProgressBar.h"
#include "widgets/Tooltip.h"
#include "widgets/WindowShape.h"

namespace qtr {
namespace {

class WidgetsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gdiplus_.Ok());
    ASSERT_TRUE(dialog_.CreateModeless(nullptr));
    ShowWindow(dialog_.Handle(), SW_SHOW);
    UpdateWindow(dialog_.Handle());
  }

  class PlainDialog : public Dialog {
   public:
    PlainDialog() : Dialog(IDD_TEST_DIALOG) {}
    int clicks = 0;

   protected:
    bool OnCommand(int id, int, HWND) override {
      if (id == IDC_TEST_BUTTON) ++clicks;
      return id == IDC_TEST_BUTTON;
    }
  };

  GdiplusSession gdiplus_;
  PlainDialog dialog_;
};

TEST_F(WidgetsTest, PicturesLoadFromResourcesWithTheirSize) {
  Picture red, blue, missing;
  ASSERT_TRUE(red.Load(IDP_TEST_RED));
  EXPECT_EQ(red.Width(), 16);
  EXPECT_EQ(red.Height(), 16);
  ASSERT_TRUE(blue.Load(IDP_TEST_BLUE));
  EXPECT_EQ(blue.Width(), 24);
  EXPECT_EQ(blue.Height(), 12);
  EXPECT_FALSE(missing.Load(12345));
  EXPECT_FALSE(missing.Loaded());
}

TEST_F(WidgetsTest, PictureButtonDrawsItsPictureAndStillClicks) {
  PictureButton button;
  ASSERT_TRUE(button.Attach(dialog_.Item(IDC_TEST_BUTTON)));
  button.SetPictures(IDP_TEST_RED, IDP_TEST_BLUE, IDP_TEST_BLUE);
  UpdateWindow(button.Handle());

  HDC dc = GetDC(button.Handle());
  const COLORREF pixel = GetPixel(dc, 5, 5);
  ReleaseDC(button.Handle(), dc);
  EXPECT_EQ(pixel, RGB(255, 0, 0));
  EXPECT_EQ(button.CurrentLook(), PictureButton::Look::Normal);

  SendMessageW(button.Handle(), BM_SETSTATE, TRUE, 0);
  UpdateWindow(button.Handle());
  EXPECT_EQ(button.CurrentLook(), PictureButton::Look::Pressed);
  SendMessageW(button.Handle(), BM_SETSTATE, FALSE, 0);
  UpdateWindow(button.Handle());
  EXPECT_EQ(button.CurrentLook(), PictureButton::Look::Normal);

  SendMessageW(button.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog_.clicks, 1);
  EnableWindow(button.Handle(), FALSE);
  EXPECT_EQ(button.CurrentLook(), PictureButton::Look::Disabled);
}

TEST_F(WidgetsTest, ProgressBarShowsItsPercentage) {
  TextProgressBar bar;
  ASSERT_TRUE(bar.Create(dialog_.Handle(), 950, RECT{10, 10, 210, 30}));
  wchar_t text[16];
  GetWindowTextW(bar.Handle(), text, 16);
  EXPECT_STREQ(text, L"0%");
  bar.SetPercent(42);
  GetWindowTextW(bar.Handle(), text, 16);
  EXPECT_STREQ(text, L"42%");
  bar.SetPercent(250);
  EXPECT_EQ(bar.Percent(), 100);
  bar.SetPercent(-3);
  EXPECT_EQ(bar.Percent(), 0);
}

TEST(PercentText, RoundsDownClampsAndNeverOverflows) {
  EXPECT_EQ(PercentText(0, 0), L"0%");
  EXPECT_EQ(PercentText(1, 3), L"33%");
  EXPECT_EQ(PercentText(2, 3), L"66%");
  EXPECT_EQ(PercentText(5, 4), L"100%");
  EXPECT_EQ(PercentText(~0ull / 2, ~0ull), L"49%");
  EXPECT_EQ(PercentText(~0ull, ~0ull), L"100%");
}

TEST_F(WidgetsTest, TooltipKeepsTheTextOfEachControl) {
  Tooltip tooltip;
  ASSERT_TRUE(tooltip.Create(dialog_.Handle()));
  ASSERT_TRUE(tooltip.SetText(dialog_.Item(IDC_TEST_BUTTON), L"Quit"));
  ASSERT_TRUE(tooltip.SetText(dialog_.Item(IDC_TEST_LABEL), L"C:\\a\\long\\path.txt"));
  EXPECT_EQ(tooltip.Text(dialog_.Item(IDC_TEST_BUTTON)), L"Quit");
  ASSERT_TRUE(tooltip.SetText(dialog_.Item(IDC_TEST_BUTTON), L"Beenden"));
  EXPECT_EQ(tooltip.Text(dialog_.Item(IDC_TEST_BUTTON)), L"Beenden");
  EXPECT_EQ(tooltip.Text(dialog_.Item(IDC_TEST_LABEL)), L"C:\\a\\long\\path.txt");
  EXPECT_EQ(SendMessageW(tooltip.Handle(), TTM_GETTOOLCOUNT, 0, 0), 2);
}

TEST_F(WidgetsTest, WindowGetsRoundedCornersAndNoTaskbarButton) {
  ASSERT_TRUE(ApplyRoundedRegion(dialog_.Handle(), 7));
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(dialog_.Handle(), region), COMPLEXREGION);
  DeleteObject(region);
  RemoveTaskbarButton(dialog_.Handle());
  const LONG_PTR style = GetWindowLongPtrW(dialog_.Handle(), GWL_EXSTYLE);
  EXPECT_NE(style & WS_EX_TOOLWINDOW, 0);
  EXPECT_EQ(style & WS_EX_APPWINDOW, 0);
}

TEST_F(WidgetsTest, ListBoxScrollsAsFarAsItsLongestLine) {
  HWND list = dialog_.Item(IDC_TEST_LIST);
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"short"));
  UpdateHorizontalExtent(list);
  const LRESULT narrow = SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0);
  SendMessageW(
      list, LB_ADDSTRING, 0,
      reinterpret_cast<LPARAM>(L"C:\\Users\\someone\\Documents\\a rather long file name.docx;Fail(5)"));
  UpdateHorizontalExtent(list);
  const LRESULT wide = SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0);
  EXPECT_GT(narrow, 8);
  EXPECT_GT(wide, narrow * 4);
}

TEST(CaptionDrag, OnlyTheTopBandHovers) {
  CaptionDrag drag(60);
  EXPECT_FALSE(drag.OnMessage(nullptr, WM_MOUSEMOVE, MAKELPARAM(100, 30)));
  EXPECT_TRUE(drag.Hovering());
  EXPECT_FALSE(drag.OnMessage(nullptr, WM_MOUSEMOVE, MAKELPARAM(100, 60)));
  EXPECT_FALSE(drag.Hovering());
  // A press below the band never turns into a move.
  EXPECT_FALSE(drag.OnMessage(nullptr, WM_LBUTTONDOWN, MAKELPARAM(100, 200)));
  EXPECT_FALSE(drag.OnMessage(nullptr, WM_MOUSEMOVE, MAKELPARAM(100, 10)));
}

}  // namespace
}  // namespace qtr

namespace qtr {
namespace {

// The manifest in the program's resources asks for version 6 of the common
// controls, which come from the side-by-side store (Wine's copy there still
// calls itself 5.81, so its place is checked too).
TEST(Manifest, CommonControlsSixAreLoaded) {
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  ASSERT_NE(comctl, nullptr);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(comctl, path, MAX_PATH);
  std::wstring lower(path);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
  using GetVersion = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
  auto get = reinterpret_cast<GetVersion>(reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
  ASSERT_NE(get, nullptr);
  DLLVERSIONINFO version{};
  version.cbSize = sizeof version;
  ASSERT_EQ(get(&version), S_OK);
  const bool sideBySide =
      lower.find(L"common-controls") != std::wstring::npos && lower.find(L"_6.0.") != std::wstring::npos;
  EXPECT_TRUE(version.dwMajorVersion == 6 || sideBySide) << path;
}

}  // namespace
}  // namespace qtr
