#include "widgets/Tooltip.h"

#include <commctrl.h>

namespace qtr {
namespace {

TTTOOLINFOW ToolFor(HWND owner, HWND control) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  return tool;
}

}  // namespace

bool Tooltip::Create(HWND owner) {
  owner_ = owner;
  window_.Reset(CreateWindowExW(
      WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr), nullptr));
  if (window_.Get() == nullptr) return false;
  // Long paths wrap instead of running off the screen.
  SendMessageW(window_.Get(), TTM_SETMAXTIPWIDTH, 0, 600);
  return true;
}

bool Tooltip::SetText(HWND control, const std::wstring& text) {
  if (window_.Get() == nullptr || control == nullptr) return false;
  // Asked without a text buffer, the tooltip only says whether it knows the control.
  TTTOOLINFOW tool = ToolFor(owner_, control);
  if (SendMessageW(window_.Get(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)) != 0) {
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(window_.Get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    return true;
  }
  tool = ToolFor(owner_, control);
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  return SendMessageW(window_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

std::wstring Tooltip::Text(HWND control) const {
  if (window_.Get() == nullptr) return {};
  wchar_t buffer[1024] = {};
  TTTOOLINFOW tool = ToolFor(owner_, control);
  tool.lpszText = buffer;
  SendMessageW(window_.Get(), TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
  return buffer;
}

}  // namespace qtr
