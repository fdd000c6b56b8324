// The program's icon in the notification area, with its menu. The main
// window has no taskbar button; this icon is how the user brings it back.
// The icon watches its owner window (subclassed) for the icon's callback
// message and for the shell's "TaskbarCreated" broadcast, after which it
// puts itself back, also when the shell refused it before.
#pragma once
#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

namespace qtr {

class CTrayIcon {
 public:
  static constexpr UINT kCallbackMessage = WM_USER + 117;
  enum RestoreMode { kRestoreNormal = 1, kRestoreMaximized = 3 };

  CTrayIcon();
  virtual ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Watches owner and (when it is another window) its top-level parent.
  void Attach(HWND owner);
  // Loads the menu resource, replacing the one held.
  bool LoadTrayMenu(UINT menuId);
  void ReplaceMenu(HMENU menu);
  HMENU Menu() const { return menu_; }
  // Shows the icon, or changes it when it is shown. The tooltip keeps at
  // most 127 characters. False when the shell refused it (no taskbar yet,
  // as when the program starts from the Run key before the shell): the icon
  // is kept and added when the taskbar announces itself.
  bool SetIcon(HICON icon, const std::wstring& tooltip);
  // The shell holds the icon.
  bool Shown() const { return added_; }
  HICON Icon() const { return data_.hIcon; }
  void SetRestoreMode(int mode) { restoreMode_ = mode; }

  // A balloon of the icon: the notification every Windows version the
  // program runs on shows. warning: the warning icon instead of the
  // information one. A click on it calls the click handler with id.
  bool ShowBalloon(const std::wstring& title, const std::wstring& text, bool warning, uint64_t id);
  void SetBalloonClick(std::function<void(uint64_t id)> onClick) { balloonClick_ = std::move(onClick); }
  // The text of the last balloon sent to the shell, whether or not the
  // shell showed it (a test reads what a person was told).
  const std::wstring& LastBalloon() const { return lastBalloon_; }

  // What the icon does with a mouse message from the shell.
  virtual void OnNotification(UINT iconId, UINT mouseMessage);
  virtual void OnTaskbarCreated();

  static UINT TaskbarCreatedMessage();

 protected:
  // The one call to the shell (tests answer it themselves).
  virtual bool CallShell(DWORD message, NOTIFYICONDATAW& data);

 private:
  static LRESULT CALLBACK Hook(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR self);
  void Unhook();
  UINT Flags() const;

  // Keeps the icon and tooltip also while the shell does not hold them.
  NOTIFYICONDATAW data_{};
  bool added_ = false;
  HWND hooked_[2] = {nullptr, nullptr};
  HMENU menu_ = nullptr;
  int restoreMode_ = kRestoreNormal;
  std::wstring lastBalloon_;
  uint64_t balloonId_ = 0;
  std::function<void(uint64_t)> balloonClick_;
};

}  // namespace qtr
