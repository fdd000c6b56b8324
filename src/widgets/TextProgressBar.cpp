#include "widgets/TextProgressBar.h"

#include <algorithm>

#include "platform/Handles.h"
#include "widgets/OffscreenSurface.h"
#include "widgets/SelectedObject.h"

namespace qtr {
namespace {

constexpr wchar_t kClassName[] = L"QtrTextProgressBar";

bool RegisterOnce(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

std::wstring PercentText(unsigned long long position, unsigned long long range) {
  if (range == 0) return L"0%";
  // 128 bits hold position * 100 for any 64-bit position.
  const unsigned __int128 clamped = std::min(position, range);
  const auto percent = static_cast<unsigned long long>(clamped * 100 / range);
  return std::to_wstring(percent) + L"%";
}

bool TextProgressBar::Create(HWND parent, int id, const RECT& place) {
  if (!RegisterOnce(&Procedure)) return false;
  hwnd_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, place.left, place.top,
                          place.right - place.left, place.bottom - place.top, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
  return hwnd_ != nullptr;
}

void TextProgressBar::SetPercent(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (percent == percent_) return;
  percent_ = percent;
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void TextProgressBar::SetColours(COLORREF bar, COLORREF back, COLORREF text) {
  bar_ = bar;
  back_ = back;
  text_ = text;
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void TextProgressBar::Paint(HDC dc, const RECT& client) const {
  GdiObject<HBRUSH> back(CreateSolidBrush(back_));
  GdiObject<HBRUSH> bar(CreateSolidBrush(bar_));
  FillRect(dc, &client, back.Get());
  RECT filled = client;
  filled.right = client.left + (client.right - client.left) * percent_ / 100;
  FillRect(dc, &filled, bar.Get());
  FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  const std::wstring text = std::to_wstring(percent_) + L"%";
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text_);
  SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT textRect = client;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT CALLBACK TextProgressBar::Procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TextProgressBar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      // Lets tests and accessibility tools read what the bar shows.
      const std::wstring text = self != nullptr ? std::to_wstring(self->percent_) + L"%" : L"";
      if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
      const size_t room = static_cast<size_t>(w);
      if (room == 0) return 0;
      const size_t n = std::min(room - 1, text.size());
      text.copy(reinterpret_cast<wchar_t*>(l), n);
      reinterpret_cast<wchar_t*>(l)[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      OffscreenSurface buffer;
      if (self != nullptr && buffer.Prepare(dc, client.right, client.bottom)) {
        self->Paint(buffer.Dc(), client);
        buffer.CopyTo(dc, 0, 0, client.right, client.bottom);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      if (self != nullptr) self->hwnd_ = nullptr;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    default: break;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace qtr
