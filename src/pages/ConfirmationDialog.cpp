#include "pages/ConfirmationDialog.h"

#include <algorithm>

#include "config/LanguageText.h"
#include "platform/WideText.h"
#include "resource.h"
#include "widgets/BandedSurface.h"
#include "widgets/ControlColours.h"
#include "widgets/SelectedObject.h"
#include "widgets/WindowDc.h"
#include "widgets/WindowPlacement.h"

namespace qtr {
namespace {

constexpr UINT_PTR kTimerId = 1;

constexpr COLORREF kBody = RGB(240, 244, 248);

// The size text takes in control's font, broken into lines of at most width pixels.
SIZE TextSize(HWND control, const std::wstring& text, int width = 360) {
  SIZE size{};
  WindowDc dc(control);
  SelectedObject font(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT r = {0, 0, width, 0};
  DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
  size.cx = r.right;
  size.cy = r.bottom;
  return size;
}

// The message box is a read-only edit control, so that a long message can
// scroll; it breaks lines only at "\r\n".
std::wstring EditLines(const std::wstring& text) {
  std::wstring lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) lines += L'\r';
    lines += text[i];
  }
  return lines;
}

}  // namespace

CMakeSureDlg::CMakeSureDlg(const Question& question, HWND mainWindow, std::wstring okText,
                           std::wstring cancelText)
    : PaintedDialog(IDD_CONFIRMATION),
      question_(question),
      mainWindow_(mainWindow),
      okText_(std::move(okText)),
      cancelText_(std::move(cancelText)),
      countdown_(question.countdown) {}

bool CMakeSureDlg::OnInit() {
  SetWindowTextW(Handle(), AsWstring(question_.title).c_str());
  font_.Reset(CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"\u5b8b\u4f53"));
  for (int id : {IDC_CONFIRM_TITLE, IDC_CONFIRM_MESSAGE, IDC_CONFIRM_OK, IDC_CONFIRM_CANCEL})
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  SetItemText(IDC_CONFIRM_TITLE, AsWstring(question_.title));
  SetItemText(IDC_CONFIRM_MESSAGE, EditLines(AsWstring(question_.message)));
  SendMessageW(Item(IDC_CONFIRM_MESSAGE), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  SetItemText(IDC_CONFIRM_OK, okText_);
  SetItemText(IDC_CONFIRM_CANCEL, cancelText_);
  closeButton_.Attach(Item(IDC_CONFIRM_CLOSE));
  closeButton_.SetPictures(IDP_QUIT_NORMAL, IDP_QUIT_PRESSED, IDP_QUIT_HOVER);
  okButton_.Attach(Item(IDC_CONFIRM_OK));
  cancelButton_.Attach(Item(IDC_CONFIRM_CANCEL));
  for (PictureButton* button : {&closeButton_, &okButton_, &cancelButton_}) button->SetBackground(Surface());
  Layout();
  ApplyRoundedRegion(Handle());
  SetTimer(Handle(), kTimerId, 1000, nullptr);
  return true;
}

void CMakeSureDlg::Layout() {
  const int width = kWidth;
  const SIZE title = TextSize(Item(IDC_CONFIRM_TITLE), AsWstring(question_.title));
  const int messageTop = 32 + title.cy + 10;
  const int messageWidth = width - 40;
  // Below the message: 10 pixels, the buttons, 10 pixels to the bottom edge.
  constexpr int kBelowMessage = 10 + 24 + 10;
  HWND messageBox = Item(IDC_CONFIRM_MESSAGE);
  int messageHeight = TextSize(messageBox, EditLines(AsWstring(question_.message)), messageWidth).cy;
  int height = std::max(kHeight, messageTop + messageHeight + kBelowMessage);
  if (height > kMaxHeight) {
    height = kMaxHeight;
    SetWindowLongPtrW(messageBox, GWL_STYLE, GetWindowLongPtrW(messageBox, GWL_STYLE) | WS_VSCROLL);
  }
  messageHeight = height - messageTop - kBelowMessage;
  SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowPos(Item(IDC_CONFIRM_CLOSE), nullptr, width - 5 - 16, 7, 16, 16, SWP_NOZORDER);
  SetWindowPos(Item(IDC_CONFIRM_TITLE), nullptr, 20, 32, title.cx + 4, title.cy, SWP_NOZORDER);
  SetWindowPos(messageBox, nullptr, 20, messageTop, messageWidth, messageHeight,
               SWP_NOZORDER | SWP_FRAMECHANGED);
  const int buttonHeight = 24;
  const int cancelWidth = TextSize(Item(IDC_CONFIRM_CANCEL), cancelText_).cx + 20;
  const int okWidth = TextSize(Item(IDC_CONFIRM_OK), okText_).cx + 20;
  const int cancelLeft = width - 15 - cancelWidth;
  SetWindowPos(Item(IDC_CONFIRM_CANCEL), nullptr, cancelLeft, height - 10 - buttonHeight, cancelWidth,
               buttonHeight, SWP_NOZORDER);
  SetWindowPos(Item(IDC_CONFIRM_OK), nullptr, cancelLeft - 10 - okWidth, height - 10 - buttonHeight, okWidth,
               buttonHeight, SWP_NOZORDER);
  // Centred over the main window, or the screen.
  const POINT corner = CentredIn(OwnerOrWorkArea(mainWindow_), {width, height});
  SetWindowPos(Handle(), nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CMakeSureDlg::PaintSurface(HDC dc, const RECT& client) {
  PaintBandedSurface(dc, client, kBody, 26);
  const std::u16string count = countdown_.Text();
  if (count.empty()) return;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(240, 138, 36));
  SelectedObject font(dc, font_.Get());
  RECT where = {20, client.bottom - 34, 120, client.bottom - 10};
  const std::wstring text = AsWstring(count);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &where, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

bool CMakeSureDlg::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDC_CONFIRM_OK: CloseAsConfirmed(); return true;
    case IDC_CONFIRM_CANCEL:
    case IDC_CONFIRM_CLOSE: EndModal(IDCANCEL); return true;
    case IDOK:
    case IDCANCEL: return true;  // Enter and Esc decide nothing
    default: return false;
  }
}

bool CMakeSureDlg::OnTimer(UINT_PTR id) {
  if (id != kTimerId) return false;
  const auto tick = countdown_.OnTick(mainWindow_ != nullptr && !IsWindow(mainWindow_));
  if (tick.textChanged) InvalidateRect(Handle(), nullptr, FALSE);
  if (tick.closeConfirmed) {
    KillTimer(Handle(), kTimerId);
    CloseAsConfirmed();
  }
  return true;
}

bool CMakeSureDlg::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: captionDrag_.OnMessage(Handle(), message, l); return false;
    case WM_DESTROY: KillTimer(Handle(), kTimerId); return false;
    case WM_CTLCOLORSTATIC:
      // The scrolling message paints its own background; the other texts lie over the painting.
      if (reinterpret_cast<HWND>(l) != Item(IDC_CONFIRM_MESSAGE)) break;
      result = messageColours_.Apply(reinterpret_cast<HDC>(w));
      return true;
    default: break;
  }
  return PaintedDialog::OnMessage(message, w, l, result);
}

bool WindowPrompter::Ask(const Question& question) {
  CMakeSureDlg dialog(question, mainWindow_, AsWstring(DisplayText(TextId::OK)),
                      AsWstring(DisplayText(TextId::Cancel)));
  return dialog.RunModal(mainWindow_ != nullptr && IsWindow(mainWindow_) ? mainWindow_ : nullptr) == IDOK;
}

}  // namespace qtr
