#include "shell/TrayIcon.h"

#include <commctrl.h>

namespace qtr {
namespace {

constexpr UINT_PTR kHookId = 0x54524159;  // one hook per watched window
constexpr UINT kDisplayCommand = 32772;

}  // namespace

UINT CTrayIcon::TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

CTrayIcon::CTrayIcon() {
  data_.cbSize = sizeof data_;
  data_.uID = 0;
  TaskbarCreatedMessage();
}

CTrayIcon::~CTrayIcon() {
  if (menu_ != nullptr) DestroyMenu(menu_);
  // A virtual call here reaches this class's own CallShell: the shell itself.
  if (added_) Shell_NotifyIconW(NIM_DELETE, &data_);
  Unhook();
}

bool CTrayIcon::CallShell(DWORD message, NOTIFYICONDATAW& data) {
  return Shell_NotifyIconW(message, &data) != FALSE;
}

void CTrayIcon::Attach(HWND owner) {
  Unhook();
  data_.hWnd = owner;
  data_.uCallbackMessage = kCallbackMessage;
  hooked_[0] = owner;
  HWND top = GetAncestor(owner, GA_ROOT);
  hooked_[1] = (top != nullptr && top != owner) ? top : nullptr;
  for (HWND window : hooked_)
    if (window != nullptr) SetWindowSubclass(window, &Hook, kHookId, reinterpret_cast<DWORD_PTR>(this));
  if (added_) {
    data_.uFlags = Flags();
    added_ = CallShell(NIM_MODIFY, data_);
  }
}

void CTrayIcon::Unhook() {
  for (HWND& window : hooked_) {
    if (window != nullptr) RemoveWindowSubclass(window, &Hook, kHookId);
    window = nullptr;
  }
}

bool CTrayIcon::LoadTrayMenu(UINT menuId) {
  HMENU loaded = ::LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId));
  if (loaded == nullptr) return false;
  ReplaceMenu(loaded);
  return true;
}

void CTrayIcon::ReplaceMenu(HMENU menu) {
  if (menu_ != nullptr && menu_ != menu) DestroyMenu(menu_);
  menu_ = menu;
}

UINT CTrayIcon::Flags() const {
  UINT flags = NIF_ICON;
  if (data_.szTip[0] != L'\0') flags |= NIF_TIP;
  if (data_.uCallbackMessage != 0 && data_.hWnd != nullptr) flags |= NIF_MESSAGE;
  return flags;
}

bool CTrayIcon::SetIcon(HICON icon, const std::wstring& tooltip) {
  data_.hIcon = icon;
  const size_t n = tooltip.copy(data_.szTip, std::size(data_.szTip) - 1);
  data_.szTip[n] = L'\0';
  data_.uFlags = Flags();
  // A shell that restarted without the broadcast reaching us has forgotten the icon.
  added_ = (added_ && CallShell(NIM_MODIFY, data_)) || CallShell(NIM_ADD, data_);
  return added_;
}

bool CTrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text, bool warning, uint64_t id) {
  lastBalloon_ = text;
  balloonId_ = id;
  if (data_.hIcon == nullptr) return false;
  NOTIFYICONDATAW balloon = data_;
  balloon.uFlags = Flags() | NIF_INFO;
  balloon.szInfo[text.copy(balloon.szInfo, std::size(balloon.szInfo) - 1)] = L'\0';
  balloon.szInfoTitle[title.copy(balloon.szInfoTitle, std::size(balloon.szInfoTitle) - 1)] = L'\0';
  balloon.dwInfoFlags = warning ? NIIF_WARNING : NIIF_INFO;
  balloon.uTimeout = 10000;  // before Vista; later systems take their own time
  // Shown on the icon the shell holds: one it refused gets it with the balloon.
  if (added_ && CallShell(NIM_MODIFY, balloon)) return true;
  added_ = CallShell(NIM_ADD, balloon);
  return added_;
}

void CTrayIcon::OnNotification(UINT iconId, UINT mouseMessage) {
  if (iconId != data_.uID) return;
  HWND owner = data_.hWnd;
  if (mouseMessage == NIN_BALLOONUSERCLICK) {
    if (balloonClick_) balloonClick_(balloonId_);
    return;
  }
  if (mouseMessage == WM_RBUTTONUP) {
    HMENU popup = menu_ != nullptr ? GetSubMenu(menu_, 0) : nullptr;
    if (popup == nullptr) return;
    const bool visible = (GetWindowLongPtrW(owner, GWL_STYLE) & WS_VISIBLE) != 0;
    EnableMenuItem(popup, kDisplayCommand, MF_BYCOMMAND | (visible ? (MF_GRAYED | MF_DISABLED) : MF_ENABLED));
    SetMenuDefaultItem(popup, 0, TRUE);
    POINT cursor;
    GetCursorPos(&cursor);
    // A notification-area menu closes on a click elsewhere only while its
    // owner is in front, and the next menu opens properly only after the
    // owner has had a message (as the system's documentation asks).
    SetForegroundWindow(owner);
    TrackPopupMenu(popup, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
  } else if (mouseMessage == WM_LBUTTONDBLCLK) {
    if (IsWindowVisible(owner)) {
      if (GetForegroundWindow() == owner) {
        SendMessageW(owner, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      } else {
        SetForegroundWindow(owner);
      }
    } else {
      SendMessageW(owner, WM_SYSCOMMAND, restoreMode_ == kRestoreMaximized ? SC_MAXIMIZE : SC_RESTORE, 0);
    }
  }
}

void CTrayIcon::OnTaskbarCreated() {
  if (data_.hIcon == nullptr) return;
  data_.uFlags = Flags();
  // The broadcast also reaches a program whose icon survived; then the icon is only updated.
  added_ = CallShell(NIM_ADD, data_) || CallShell(NIM_MODIFY, data_);
}

LRESULT CALLBACK CTrayIcon::Hook(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<CTrayIcon*>(data);
  if (message == kCallbackMessage && hwnd == self->data_.hWnd) {
    self->OnNotification(static_cast<UINT>(w), static_cast<UINT>(l));
  } else if (message == TaskbarCreatedMessage()) {
    self->OnTaskbarCreated();
  } else if (message == WM_NCDESTROY) {
    for (HWND& window : self->hooked_)
      if (window == hwnd) window = nullptr;
    RemoveWindowSubclass(hwnd, &Hook, kHookId);
  }
  return DefSubclassProc(hwnd, message, w, l);
}

}  // namespace qtr
