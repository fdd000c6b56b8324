#include "widgets/PictureButton.h"

#include <commctrl.h>

#include "widgets/OffscreenSurface.h"
#include "widgets/SelectedObject.h"

namespace qtr {
namespace {

constexpr UINT_PTR kSubclassId = 0x51545242;  // one subclass per button

}  // namespace

PictureButton::~PictureButton() {
  Detach();
}

bool PictureButton::Attach(HWND button) {
  Detach();
  if (button == nullptr) return false;
  hwnd_ = button;
  const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  SetWindowLongPtrW(button, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
  Register(button);
  SetWindowSubclass(button, &Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  InvalidateRect(button, nullptr, TRUE);
  return true;
}

void PictureButton::Detach() {
  if (hwnd_ == nullptr) return;
  RemoveWindowSubclass(hwnd_, &Subclass, kSubclassId);
  Unregister(hwnd_);
  hwnd_ = nullptr;
}

void PictureButton::SetPictures(UINT normal, UINT pressed, UINT hover) {
  pictures_[0].Load(normal);
  pictures_[1].Load(pressed);
  pictures_[2].Load(hover);
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, TRUE);
}

void PictureButton::SetDisabledPicture(UINT disabled) {
  pictures_[3].Load(disabled);
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, TRUE);
}

void PictureButton::SetBackground(const OffscreenSurface* surface) {
  background_ = surface;
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

PictureButton::Look PictureButton::CurrentLook() const {
  if (hwnd_ != nullptr && !IsWindowEnabled(hwnd_)) return Look::Disabled;
  if (pressed_) return Look::Pressed;
  if (hover_) return Look::Hover;
  return Look::Normal;
}

void PictureButton::Draw(const DRAWITEMSTRUCT& item) {
  pressed_ = (item.itemState & ODS_SELECTED) != 0;
  const RECT& r = item.rcItem;
  const int width = r.right - r.left, height = r.bottom - r.top;
  OffscreenSurface buffer;
  if (!buffer.Prepare(item.hDC, width, height)) return;
  HDC dc = buffer.Dc();

  DrawSurfaceBehind(dc, r, hwnd_, background_);

  const Look look = CurrentLook();
  const int index = look == Look::Pressed ? 1 : look == Look::Hover ? 2 : look == Look::Disabled ? 3 : 0;
  const Picture& picture = pictures_[index].Loaded() ? pictures_[index] : pictures_[0];
  if (picture.Loaded()) {
    picture.Draw(dc, 0, 0, width, height);
  } else {
    // A text button without pictures still shows its state.
    RECT face = {0, 0, width, height};
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (look == Look::Pressed ? DFCS_PUSHED : 0));
  }

  wchar_t text[128];
  const int length = GetWindowTextW(hwnd_, text, 128);
  if (length > 0) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, look == Look::Disabled ? GetSysColor(COLOR_GRAYTEXT) : textColour_);
    SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
    RECT textRect = {0, 0, width, height};
    if (look == Look::Pressed) OffsetRect(&textRect, 1, 1);
    DrawTextW(dc, text, length, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  buffer.CopyTo(item.hDC, r.left, r.top, width, height);
}

LRESULT CALLBACK PictureButton::Subclass(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                         DWORD_PTR data) {
  auto* self = reinterpret_cast<PictureButton*>(data);
  switch (message) {
    case WM_MOUSEMOVE:
      if (!self->hover_) {
        self->hover_ = true;
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd;
        TrackMouseEvent(&track);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      self->hover_ = false;
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_ERASEBKGND: return 1;  // everything is drawn in Draw
    case WM_NCDESTROY: self->Detach(); break;
    default: break;
  }
  return DefSubclassProc(hwnd, message, w, l);
}

}  // namespace qtr
