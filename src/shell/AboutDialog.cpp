#include "shell/AboutDialog.h"

#include <string>

#include "config/LanguageText.h"
#include "platform/WideText.h"
#include "Version.h"
#include "resource.h"
#include "widgets/BandedSurface.h"
#include "widgets/SelectedObject.h"
#include "widgets/WindowPlacement.h"

namespace qtr {

CAboutDlg::CAboutDlg() : PaintedDialog(IDD_ABOUT) {}

bool CAboutDlg::OnInit() {
  const std::u16string about = DisplayText(TextId::About);
  SetWindowTextW(Handle(), (std::wstring(about.begin(), about.end()) + L" XVQ GUI").c_str());
  titleFont_.Reset(CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  closeButton_.Attach(Item(IDC_ABOUT_CLOSE));
  closeButton_.SetPictures(IDP_QUIT_NORMAL, IDP_QUIT_PRESSED, IDP_QUIT_HOVER);
  okButton_.Attach(Item(IDC_ABOUT_OK));
  for (PictureButton* button : {&closeButton_, &okButton_}) button->SetBackground(Surface());
  SetItemText(IDC_ABOUT_OK, AsWstring(DisplayText(TextId::OK)));
  // The same version the file's properties and the installer show.
  SetItemText(IDC_ABOUT_NAME, L"" QTR_PRODUCT_NAME);
  SetItemText(IDC_ABOUT_VERSION,
              AsWstring(FillText(DisplayText(TextId::AboutVersion), {u"" QTR_VERSION_TEXT})));
  SetItemText(IDC_ABOUT_DESCRIPTION, AsWstring(DisplayText(TextId::AboutDescription)));
  SetWindowPos(Handle(), nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowPos(Item(IDC_ABOUT_CLOSE), nullptr, kWidth - 5 - 16, 7, 16, 16, SWP_NOZORDER);
  SetWindowPos(Item(IDC_ABOUT_OK), nullptr, kWidth - 15 - 70, kHeight - 10 - 24, 70, 24, SWP_NOZORDER);
  // Beside the icon, clear of the right edge, whatever the language's text.
  SetWindowPos(Item(IDC_ABOUT_NAME), nullptr, 76, 42, kWidth - 76 - 20, 18, SWP_NOZORDER);
  SetWindowPos(Item(IDC_ABOUT_VERSION), nullptr, 76, 62, kWidth - 76 - 20, 18, SWP_NOZORDER);
  SetWindowPos(Item(IDC_ABOUT_DESCRIPTION), nullptr, 76, 88, kWidth - 76 - 20, 36, SWP_NOZORDER);
  // Centred over the window that opened it, or the screen.
  const POINT corner = CentredIn(OwnerOrWorkArea(GetWindow(Handle(), GW_OWNER)), {kWidth, kHeight});
  SetWindowPos(Handle(), nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ApplyRoundedRegion(Handle());
  return true;
}

void CAboutDlg::PaintSurface(HDC dc, const RECT& client) {
  PaintBandedSurface(dc, client, RGB(240, 244, 248), 26);
  wchar_t title[128] = {};
  GetWindowTextW(Handle(), title, 128);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  SelectedObject font(dc, titleFont_.Get());
  RECT where = {10, 0, client.right - 30, 26};
  DrawTextW(dc, title, -1, &where, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

bool CAboutDlg::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDC_ABOUT_OK:
    case IDC_ABOUT_CLOSE: EndModal(IDOK); return true;
    case IDOK:
    case IDCANCEL: return true;  // Enter and Esc close no window of the program
    default: return false;
  }
}

bool CAboutDlg::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: captionDrag_.OnMessage(Handle(), message, l); return false;
    default: return PaintedDialog::OnMessage(message, w, l, result);
  }
}

}  // namespace qtr
