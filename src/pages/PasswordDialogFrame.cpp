#include "pages/PasswordDialogFrame.h"

#include "platform/WideText.h"
#include "resource.h"
#include "ui/Prompter.h"
#include "widgets/BandedSurface.h"
#include "widgets/ControlColours.h"
#include "widgets/WindowPlacement.h"

namespace qtr {

void PasswordDialogFrame::SetUpFrame(int titleId, const std::u16string& title, int closeId, int okId,
                                     int cancelId, std::initializer_list<int> passwordFields) {
  titleId_ = titleId;
  closeId_ = closeId;
  SetWindowTextW(Handle(), AsWstring(title).c_str());
  SetItemText(titleId, AsWstring(title));
  font_.Reset(CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  for (HWND child = GetWindow(Handle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  // Every character shows as "*", whatever the system's own mask.
  for (int field : passwordFields) SendMessageW(Item(field), EM_SETPASSWORDCHAR, L'*', 0);
  closeButton_.Attach(Item(closeId));
  closeButton_.SetPictures(IDP_QUIT_NORMAL, IDP_QUIT_PRESSED, IDP_QUIT_HOVER);
  okButton_.Attach(Item(okId));
  cancelButton_.Attach(Item(cancelId));
  for (PictureButton* button : {&closeButton_, &okButton_, &cancelButton_}) button->SetBackground(Surface());
  ApplyRoundedRegion(Handle());
  // Over the window that opened it, or the screen.
  const POINT corner = CentredIn(OwnerOrWorkArea(GetWindow(Handle(), GW_OWNER)), WindowSize(Handle()));
  SetWindowPos(Handle(), HWND_TOP, corner.x, corner.y, 0, 0, SWP_NOSIZE);
}

void PasswordDialogFrame::Close(INT_PTR code) {
  result_ = code;
  EndModal(code);
}

bool PasswordDialogFrame::Tell(Prompter& prompter, const Question& question) {
  EnableWindow(Handle(), FALSE);
  const bool confirmed = prompter.Ask(question);
  EnableWindow(Handle(), TRUE);
  SetActiveWindow(Handle());
  return confirmed;
}

bool PasswordDialogFrame::FrameCommand(int id) {
  if (id == IDOK || id == IDCANCEL) return true;
  if (id != closeId_) return false;
  Close(IDCANCEL);
  return true;
}

bool PasswordDialogFrame::OnMessage(UINT message, WPARAM w, LPARAM l, INT_PTR& result) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: captionDrag_.OnMessage(Handle(), message, l); return false;
    case WM_CTLCOLORSTATIC:
      // The title stands on the coloured band.
      if (reinterpret_cast<HWND>(l) != Item(titleId_)) return PaintedDialog::OnMessage(message, w, l, result);
      result = ControlColours::Transparent(reinterpret_cast<HDC>(w), RGB(255, 255, 255));
      return true;
    default: return PaintedDialog::OnMessage(message, w, l, result);
  }
}

void PasswordDialogFrame::PaintSurface(HDC dc, const RECT& client) {
  PaintBandedSurface(dc, client, RGB(240, 244, 248), 22);
}

}  // namespace qtr
